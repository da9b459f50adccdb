#include "fuzz/fuzz_support.h"

#include "base/message_box.h"
#include "report/engine/startup/rm_engine_startup.h"

#include <QApplication>
#include <QImage>
#include <QPainter>

#include <memory>

namespace pq {

namespace {

// Answers every box at once with the first button offered, keeping nothing: a box would
// otherwise wait for a click forever, and a recorder would grow with every input.
class AnsweringBoxes : public MessageBoxService {
public:
    int Show(const MessageBoxRequest& request) override
    {
        for (int button : {MsgOk, MsgYes, MsgNo, MsgCancel})
            if (request.buttons & button)
                return button;
        return MsgOk;
    }
};

} // namespace

void FuzzInit()
{
    static int argc = 1;
    static char name[] = "fuzz";
    static char* argv[] = {name, nullptr};
    qputenv("QT_QPA_PLATFORM", "offscreen");
    // Widgets: preparation looks for data sets on the engine's hidden dialog form.
    static QApplication* app = new QApplication(argc, argv);
    (void)app;
    // Load the font database now: fontconfig keeps its caches for the life of the process,
    // which the leak checker would otherwise blame on the first input that draws text.
    {
        QImage image(16, 16, QImage::Format_RGB32);
        QPainter p(&image);
        for (const char* face : {"Arial", "DejaVu Sans", "WenQuanYi Zen Hei", "宋体"}) {
            p.setFont(QFont(QString::fromUtf8(face), 10));
            p.drawText(0, 10, QStringLiteral("Wg宋"));
        }
    }
    // No printers and nobody at a progress window; pages take their size from their paper.
    static TRMEngineStartup* engine = new TRMEngineStartup(TRMEngineOptions::Headless());
    (void)engine;
    static AnsweringBoxes boxes;
    SetMessageBoxService(&boxes);
}

} // namespace pq
