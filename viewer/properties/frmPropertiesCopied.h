// The small notice that tells the user the properties are on the clipboard;
// it stays on top and closes itself two seconds after it appears.
#pragma once

#include <QDialog>

class QLabel;
class QTimer;

namespace properties {

inline constexpr int kNoticeMilliseconds = 2000;

class frmPropertiesCopied : public QDialog {
    Q_OBJECT

public:
    explicit frmPropertiesCopied(QWidget* parent = nullptr);

    // The text of labCopied.
    void SetMessage(const QString& text);

protected:
    void showEvent(QShowEvent* event) override;

private:
    void tmrCopied_Timer();

    QLabel* labCopied_;
    QTimer* tmrCopied_;
};

} // namespace properties
