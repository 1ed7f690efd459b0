// MessageBoxA without a window system. A box is answered, in this order of preference, from
// WINSHIM_ANSWERS (scripts and tests), on the terminal (a person), or not at all (written to
// stderr, result 0, which the program takes as Cancel). Every box shown or attempted is also
// appended to WINSHIM_BOXLOG when that is set, so tests read back exactly what a user saw.
#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <termios.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <sstream>
#include <string>
#include <vector>

#include "platform/posix/errors.h"
#include "platform/posix/escape_text.h"

namespace {

const UINT kButtonsMask = 0x0000000F;
const UINT kIconMask = 0x000000F0;

enum class Answer { Ok, Cancel, None };

void WriteAll(int fd, const std::string& text)
{
    for (size_t done = 0; done < text.size();) {
        ssize_t put = write(fd, text.data() + done, text.size() - done);
        if (put < 0) {
            if (errno == EINTR)
                continue;
            return;
        }
        done += (size_t)put;
    }
}

// One write per line with O_APPEND, so that the lines of processes sharing a log never mix.
void AppendToBoxLog(const char* text, const char* caption, UINT style)
{
    const char* log = getenv("WINSHIM_BOXLOG");
    if (log == NULL || log[0] == '\0')
        return;
    int fd = open(log, O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
    if (fd < 0)
        return;
    char styleText[16];
    snprintf(styleText, sizeof styleText, "0x%04x", style);
    WriteAll(fd, std::string(styleText) + "\t" + EscapeText(caption) + "\t" + EscapeText(text) +
                     "\n");
    close(fd);
}

// The n-th answer of WINSHIM_ANSWERS for this process; false when the variable is not set.
bool ScriptedAnswer(Answer& answer)
{
    static std::mutex lock;
    static size_t boxesAnswered = 0;
    const char* answers = getenv("WINSHIM_ANSWERS");
    if (answers == NULL)
        return false;
    std::lock_guard<std::mutex> hold(lock);
    std::vector<std::string> list;
    std::stringstream stream(answers);
    for (std::string item; std::getline(stream, item, ',');) {
        item.erase(0, item.find_first_not_of(" \t"));
        item.erase(item.find_last_not_of(" \t") + 1);
        std::transform(item.begin(), item.end(), item.begin(), ::tolower);
        list.push_back(item);
    }
    size_t index = boxesAnswered++;
    // Past the end of the list, and for a word it does not know, no box could be shown.
    answer = Answer::None;
    if (index < list.size() && list[index] == "ok")
        answer = Answer::Ok;
    else if (index < list.size() && list[index] == "cancel")
        answer = Answer::Cancel;
    return true;
}

const char* IconLabel(UINT style)
{
    switch (style & kIconMask) {
    case MB_ICONHAND: return "[X] ";
    case MB_ICONQUESTION: return "[?] ";
    case MB_ICONINFORMATION: return "[i] ";
    default: return "";
    }
}

// The box as lines of text: the caption, the text with its line breaks, then the buttons.
std::string DrawBox(const char* text, const char* caption, UINT style)
{
    std::vector<std::string> lines;
    std::string current = IconLabel(style);
    std::string indent(current.size(), ' ');
    for (const char* p = text; *p != '\0'; p++) {
        if (*p == '\r' && p[1] == '\n')
            continue;
        if (*p == '\r' || *p == '\n') {
            lines.push_back(current);
            current = indent;
        } else {
            current += *p;
        }
    }
    lines.push_back(current);
    bool okCancel = (style & kButtonsMask) == MB_OKCANCEL;
    std::string buttons = okCancel ? "[ OK ]  [ Cancel ]" : "[ OK ]";

    size_t width = std::max(strlen(caption) + 2, buttons.size());
    for (const std::string& line : lines)
        width = std::max(width, line.size());
    std::string box = "\n+- " + std::string(caption) + " " +
                      std::string(width - strlen(caption), '-') + "+\n";
    auto row = [&](const std::string& content) {
        box += "| " + content + std::string(width - content.size(), ' ') + " |\n";
    };
    row("");
    for (const std::string& line : lines)
        row(line);
    row("");
    row(std::string(width - buttons.size(), ' ') + buttons);
    box += "+" + std::string(width + 2, '-') + "+\n";
    box += okCancel ? "Enter: OK    Esc or c: Cancel\n" : "Enter: OK\n";
    return box;
}

// Puts the terminal into single-key mode for as long as it lives. Signals from the keyboard are
// taken as keys too, so that Ctrl-C cancels the box instead of killing the process with the
// terminal left silent.
struct RawTerminal {
    int fd;
    struct termios saved;
    bool changed = false;
    explicit RawTerminal(int terminal) : fd(terminal)
    {
        if (tcgetattr(fd, &saved) != 0)
            return;
        struct termios raw = saved;
        raw.c_lflag &= ~(tcflag_t)(ICANON | ECHO | ISIG);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        // Keys typed before the box appeared must not answer it.
        changed = tcsetattr(fd, TCSAFLUSH, &raw) == 0;
    }
    ~RawTerminal()
    {
        if (changed)
            tcsetattr(fd, TCSANOW, &saved);
    }
};

// Waits for Enter (OK) or Escape, c, Ctrl-C, Ctrl-D (Cancel). Other keys are passed over, the
// escape sequences of arrow and function keys included.
Answer ReadAnswer(int terminal)
{
    for (;;) {
        unsigned char key;
        ssize_t got = read(terminal, &key, 1);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return Answer::None; // the terminal went away
        if (key == '\r' || key == '\n')
            return Answer::Ok;
        if (key == 'c' || key == 'C' || key == 3 || key == 4)
            return Answer::Cancel;
        if (key == 27) {
            // A lone Escape is the key itself; bytes right behind it are a key's sequence.
            struct pollfd more = {terminal, POLLIN, 0};
            if (poll(&more, 1, 50) <= 0)
                return Answer::Cancel;
            unsigned char rest[16];
            while (poll(&more, 1, 0) > 0 && read(terminal, rest, sizeof rest) > 0) {
            }
        }
    }
}

int ButtonFor(Answer answer, UINT buttons)
{
    switch (answer) {
    case Answer::Ok: return IDOK;
    case Answer::Cancel: return buttons == MB_OKCANCEL ? IDCANCEL : IDOK;
    default: return 0;
    }
}

} // namespace

// Shows a modal box and returns the button chosen: IDOK, IDCANCEL, or 0 when no box could be
// shown. Escape on a box that has only OK gives IDOK, as on Windows. Only MB_OK and MB_OKCANCEL
// boxes are offered; the other button sets are refused with 87.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT style)
{
    (void)owner;
    if (text == NULL)
        text = "";
    if (caption == NULL)
        caption = "Error"; // Windows' caption for a box that names none
    AppendToBoxLog(text, caption, style);

    UINT buttons = style & kButtonsMask;
    if (buttons != MB_OK && buttons != MB_OKCANCEL) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }

    Answer answer;
    if (!ScriptedAnswer(answer)) {
        int terminal = open("/dev/tty", O_RDWR | O_NOCTTY | O_CLOEXEC);
        if (terminal < 0) {
            WriteAll(STDERR_FILENO, DrawBox(text, caption, style) +
                                        "(no terminal to answer on: the box counts as not shown)\n");
            return 0;
        }
        {
            // Single-key mode before the box is drawn, so that a key pressed as soon as it shows
            // is not lost to the switch.
            RawTerminal raw(terminal);
            WriteAll(terminal, DrawBox(text, caption, style));
            answer = ReadAnswer(terminal);
        }
        int button = ButtonFor(answer, buttons);
        WriteAll(terminal, button == IDOK ? "OK\n" : button == IDCANCEL ? "Cancel\n" : "\n");
        close(terminal);
        return button;
    }
    return ButtonFor(answer, buttons);
}
