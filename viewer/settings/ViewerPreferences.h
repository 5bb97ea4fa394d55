// The viewer's own settings, kept in a file of its own under the user's
// configuration folder ("HALVEX/HALVEX-Daystrand.ini" there). The settings the
// HALVEX product shares with the viewer (StudySettings.h) stay read-only; what
// the viewer remembers for itself lives here. Each value is read when asked
// for and written when set; a missing or unreadable file gives the defaults.
#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <memory>

class QSettings;

namespace settings {

inline constexpr char kPreferencesOrganisation[] = "HALVEX";
inline constexpr char kPreferencesApplication[] = "HALVEX-Daystrand";
// The least memory for decoded frames worth having: four panels' frames and a
// few read ahead.
inline constexpr qint64 kMinFrameCacheMegabytes = 16;
// Larger values are taken as this one (16 TiB), so that bytes never overflow.
inline constexpr qint64 kMaxFrameCacheMegabytes = qint64(1) << 24;

class ViewerPreferences {
public:
    // The user's own file.
    ViewerPreferences();
    // Another file (tests, a private set-up); "" is the user's own file.
    explicit ViewerPreferences(const QString& fileName);
    ~ViewerPreferences();
    ViewerPreferences(const ViewerPreferences&) = delete;
    ViewerPreferences& operator=(const ViewerPreferences&) = delete;

    QString FileName() const;

    // Whether each panel shows a caption of what it shows. Off by default.
    bool ShowCaptions() const;
    void SetShowCaptions(bool show);

    // Studies and packages opened, the newest first (see RecentStudies.h).
    QStringList RecentStudies() const;
    void SetRecentStudies(const QStringList& files);

    // The main window's size and place as QWidget::saveGeometry gives them;
    // empty when none was saved.
    QByteArray WindowGeometry() const;
    void SetWindowGeometry(const QByteArray& geometry);

    // Whether zooming or panning one panel does the same to every visible
    // panel. On by default.
    bool LinkPanels() const;
    void SetLinkPanels(bool link);

    // Memory for decoded frames in megabytes ("Frames/CacheMegabytes"), at
    // most kMaxFrameCacheMegabytes; 0 when not set, or set to less than
    // kMinFrameCacheMegabytes or to no number: the program's default applies.
    qint64 FrameCacheMegabytes() const;
    void SetFrameCacheMegabytes(qint64 megabytes);

    // Writes what was set to the file now rather than at some later moment.
    void Sync();

private:
    std::unique_ptr<QSettings> store_;
};

} // namespace settings
