#pragma once
// Image work without a main frame, a recorder of message boxes, and pictures.

#include <QApplication>
#include <QMouseEvent>
#include <QString>
#include <QStringList>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "app/image/image_workspace.h"
#include "app/image/measure_settings.h"
#include "app/shell/gbk_text.h"
#include "platform/message_box.h"
#include "rast.h"

// The settings a fake workspace works on; a base, so they exist before the workspace.
struct FakeSettingsHolder
{
    FrameSettings settings;
};

// Image work without a main window: records what the image windows tell the main frame and
// answers as a test wishes.
class FakeImageWorkspace : private FakeSettingsHolder, public ImageWorkspace
{
  public:
    explicit FakeImageWorkspace(const std::string& rulersFolder = "/nonexistent")
        : ImageWorkspace(FakeSettingsHolder::settings, rulersFolder, [this] { return language; }),
          settings(FakeSettingsHolder::settings), measure(measureSettings())
    {
        // Every descriptor line shown, as a fresh settings file gives.
        settings.lineMark = 0xF;
        settings.rectMark = 0x7F;
        settings.circleMark = 0x1F;
        settings.ellipseMark = 0x3F;
        settings.angleMark = 0x3;
        settings.polyLineMark = 0xF;
        setToolTips([](int commandId) { return QStringLiteral("tip %1").arg(commandId); });
        setSaveNameChooser([this](const QString& filter, const QString& initialName) {
            dialogFilters << filter;
            dialogNames << initialName;
            if (saveAnswers.empty())
                return QString();
            const QString answer = saveAnswers.front();
            saveAnswers.pop_front();
            return answer;
        });
        setVideoWindowFinder([this] {
            ++videoRequests;
            return hasVideoWindow;
        });
        QObject::connect(this, &ImageWorkspace::paneTextChanged,
                         [this](int pane, const QString& text) { paneText[pane] = text; });
        QObject::connect(this, &ImageWorkspace::paneColoursChanged,
                         [this](int pane, COLORREF background, COLORREF text) {
                             paneColours[pane] = {background, text};
                         });
        QObject::connect(this, &ImageWorkspace::paneWidthChanged,
                         [this](int pane, int width, bool stretch) {
                             paneWidth[pane] = {width, stretch};
                         });
        QObject::connect(this, &ImageWorkspace::commandRequested,
                         [this](int commandId) { commands.push_back(commandId); });
    }

    FrameSettings& settings;
    int language = 1;
    MeasureSettings& measure;
    std::map<int, QString> paneText;
    std::map<int, std::pair<COLORREF, COLORREF>> paneColours;
    std::map<int, std::pair<int, bool>> paneWidth;
    std::deque<QString> saveAnswers;
    QStringList dialogFilters;
    QStringList dialogNames;
    std::vector<int> commands;
    bool hasVideoWindow = false;
    int videoRequests = 0;
};

// Records every message box (decoded) and answers from a list, then with the default button.
class MessageRecorder
{
  public:
    MessageRecorder() { kwz::setMessageBoxHandler(&MessageRecorder::record, this); }
    ~MessageRecorder() { kwz::setMessageBoxHandler(nullptr, nullptr); }
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    QStringList texts;
    std::vector<unsigned> types;
    std::deque<int> answers;

  private:
    static int record(void* context, HWND, const char* text, const char*, unsigned type)
    {
        auto* self = static_cast<MessageRecorder*>(context);
        self->texts << fromGbk(text ? text : "");
        self->types.push_back(type);
        if (self->answers.empty())
            return kwz::defaultAnswer(type);
        const int answer = self->answers.front();
        self->answers.pop_front();
        return answer;
    }
};

// Bottom-up 24-bit rows of a picture whose pixel (x, y) (from the top) has a colour made from
// its position, so misplaced pixels show.
inline std::vector<BYTE> patternRows(int width, int height)
{
    const int stride = (width * 3 + 3) / 4 * 4;
    std::vector<BYTE> rows(size_t(stride) * height, 0);
    for (int y = 0; y < height; ++y)
    {
        BYTE* row = rows.data() + size_t(height - 1 - y) * stride;
        for (int x = 0; x < width; ++x)
        {
            row[3 * x] = BYTE(x * 7 + y);
            row[3 * x + 1] = BYTE(y * 5 + 11);
            row[3 * x + 2] = BYTE(x + y * 3 + 101);
        }
    }
    return rows;
}
// The colour (0xRRGGBB) of the pattern's pixel.
inline unsigned patternColour(int x, int y)
{
    return unsigned(BYTE(x + y * 3 + 101)) << 16 | unsigned(BYTE(y * 5 + 11)) << 8 |
           unsigned(BYTE(x * 7 + y));
}

// Writes a 24-bit BMP file of the pattern (or of one colour when `fill` is not negative).
inline bool writePatternBmp(const QString& path, int width, int height, int fill = -1)
{
    std::vector<BYTE> rows = patternRows(width, height);
    if (fill >= 0)
        for (size_t i = 0; i < rows.size(); ++i)
            rows[i] = BYTE(fill);
    void* object = nullptr;
    RASTInitialize(&object);
    RASTReadPixels(object, rows.data(), width, height, 24);
    const bool written = RASTWriteFile(object, path.toLocal8Bit().constData(), 0) == RAST_OK;
    RASTUnInitialize(&object);
    return written;
}

// A pointer movement with the buttons given, sent to the widget as the window system would.
inline void moveMouse(QWidget* widget, QPoint pos, Qt::MouseButtons buttons = Qt::NoButton)
{
    QMouseEvent event(QEvent::MouseMove, pos, widget->mapToGlobal(pos), Qt::NoButton, buttons,
                      Qt::NoModifier);
    QApplication::sendEvent(widget, &event);
}
