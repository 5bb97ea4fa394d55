#include "tools/tcab/ProgressLine.h"

#include <algorithm>
#include <sys/ioctl.h>
#include <unistd.h>

namespace tcab {

namespace {

constexpr int kBarWidth = 24;

std::size_t TerminalWidth()
{
    struct winsize size {};
    if (::ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col >= 40)
        return size.ws_col;
    return 80;
}

} // namespace

bool IsTerminal(int fd)
{
    return ::isatty(fd) == 1;
}

ProgressLine::ProgressLine(std::ostream& err, bool terminal, Verbosity verbosity)
    : err_(err), terminal_(terminal && verbosity == Verbosity::Normal), lines_(verbosity == Verbosity::Verbose)
{
}

ProgressLine::~ProgressLine()
{
    Clear();
}

void ProgressLine::File(const std::string& action, const std::string& name)
{
    name_ = name;
    if (lines_)
        err_ << (action + ' ' + name + '\n'); // one write per line: standard error is unbuffered
    if (terminal_)
        Draw();
}

void ProgressLine::Update(const std::string& phase, std::uint64_t done, std::uint64_t total)
{
    phase_ = phase;
    percent_ = total == 0 ? 100 : static_cast<int>(std::min<std::uint64_t>(done, total) * 100 / total);
    if (terminal_)
        Draw();
}

void ProgressLine::Message(const std::string& text)
{
    Clear();
    err_ << (text + '\n');
    err_.flush();
}

void ProgressLine::Clear()
{
    if (terminal_ && shown_) {
        err_ << "\r\033[K";
        err_.flush();
        shown_ = false;
        drawnPercent_ = -2;
        drawnName_.clear();
    }
}

void ProgressLine::Draw()
{
    if (percent_ == drawnPercent_ && name_ == drawnName_ && shown_)
        return;
    const int filled = percent_ < 0 ? 0 : percent_ * kBarWidth / 100;
    std::string line = "[" + std::string(filled, '#') + std::string(kBarWidth - filled, '.') + "] ";
    std::string percent = percent_ < 0 ? "" : std::to_string(percent_) + "%";
    line += std::string(4 - std::min<std::size_t>(4, percent.size()), ' ') + percent + " " + phase_ + " " + name_;
    const std::size_t width = TerminalWidth() - 1;
    if (line.size() > width) {
        std::size_t cut = width;
        while (cut > 0 && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80)
            --cut; // never split a UTF-8 character
        line.resize(cut);
    }
    err_ << ("\r\033[K" + line);
    err_.flush();
    shown_ = true;
    drawnPercent_ = percent_;
    drawnName_ = name_;
}

} // namespace tcab
