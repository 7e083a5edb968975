// The viewport menu's picture and video commands in the running editor:
// "Save image ..." through the Image size dialog, and "Save AVI animation
// ..." through the Animation Exporter dialog, the compressor list and the
// rendering window.

#include "GuiTestSupport.h"
#include "gui/AnimationExporterDialog.h"
#include "gui/AviRenderWindow.h"
#include "gui/ImageSizeDialog.h"
#include "gui/MainWindow.h"
#include "gui/QtUi.h"
#include "gui/ViewportOutput.h"
#include "render/CommandIds.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QInputDialog>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QTimer>

#include <functional>
#include <memory>

using namespace corvid;

namespace {

constexpr int kWait = 30000;

// Acts on the next modal dialog of type T once it is shown.
template <class T>
void WhenShown(std::function<void(T*)> act)
{
    auto* timer = new QTimer;
    timer->setInterval(20);
    QObject::connect(timer, &QTimer::timeout, [timer, act] {
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (!dialog || !dialog->isVisible())
            return;
        timer->stop();
        timer->deleteLater();
        act(dialog);
    });
    timer->start();
}

uint32_t Little(const QByteArray& bytes, int at)
{
    uint32_t v = 0;
    for (int i = 0; i < 4; ++i)
        v |= uint32_t{static_cast<uint8_t>(bytes[at + i])} << (8 * i);
    return v;
}

} // namespace

class VideoOutputTest : public QObject {
    Q_OBJECT
private:
    std::unique_ptr<EditorShell> shell_;
    MainWindow* window_ = nullptr;
    Editor* editor_ = nullptr;
    std::vector<std::string> boxes_;
    QTemporaryDir dir_;

private slots:
    void initTestCase()
    {
        shell_ = std::make_unique<EditorShell>();
        shell_->Ui().boxHook = [this](const std::string& text, Buttons) {
            boxes_.push_back(text);
            return Answer::Ok;
        };
        QVERIFY(test::StartEditor(*shell_, kWait));
        window_ = shell_->GetMainWindow();
        editor_ = shell_->GetEditor();
    }

    void cleanupTestCase()
    {
        shell_->Shutdown();
        shell_.reset();
    }

    void viewportOneIsCapturedAt800By600WithBmpAdded()
    {
        const QString chosen = dir_.path() + "/shot";
        shell_->Ui().fileHook = [&](const FileDialogRequest& request) -> std::optional<std::string> {
            if (request.filter != kImageFileFilter)
                return std::nullopt;
            return chosen.toStdString();
        };
        WhenShown<ImageSizeDialog>([](ImageSizeDialog* dialog) {
            dialog->customButton->setChecked(true);
            dialog->widthBox->setValue(800);
            dialog->heightBox->setValue(600);
            dialog->smoothingBox->setChecked(true);
            dialog->accept();
        });
        boxes_.clear();
        QVERIFY(RunViewportOutputCommand(*editor_, 1, kCmdSaveImage, window_));
        QVERIFY2(boxes_.empty(), boxes_.empty() ? "" : boxes_.front().c_str());

        QFile file(chosen + ".bmp");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bmp = file.readAll();
        QCOMPARE(bmp.left(2), QByteArray("BM"));
        QCOMPARE(Little(bmp, 18), 800u);
        QCOMPARE(Little(bmp, 22), 600u);
        QCOMPARE(bmp.size(), 54 + 800 * 3 * 600);
        const QImage picture = QImage::fromData(bmp, "BMP");
        QCOMPARE(picture.size(), QSize(800, 600));
        // The new scene's grid, drawn across the picture at 800 x 600.
        const test::PictureStats stats = test::Measure(picture, qRgb(0, 0, 0), 0);
        QVERIFY(stats.content.width() > 700);
        QVERIFY(stats.content.top() > 150 && stats.content.bottom() < 450);
        QVERIFY(editor_->imageCapture.smoothing);
        QCOMPARE(editor_->imageCapture.customWidth, 800);

        // The capture's device stays for the next capture, which draws the
        // same picture with it; the shell's shutdown lets it go with the
        // viewport's own device.
        QVERIFY(editor_->views.captureDevice.device);
        Device* kept = editor_->views.captureDevice.device.get();
        WhenShown<ImageSizeDialog>([](ImageSizeDialog* dialog) { dialog->accept(); });
        QVERIFY(RunViewportOutputCommand(*editor_, 1, kCmdSaveImage, window_));
        QVERIFY(boxes_.empty());
        QCOMPARE(editor_->views.captureDevice.device.get(), kept);
        file.close();
        QVERIFY(file.open(QIODevice::ReadOnly));
        QVERIFY(file.readAll() == bmp);
    }

    void theAnimationIsWrittenThroughTheExporterDialogAndTheRenderingWindow()
    {
        const QString chosen = dir_.path() + "/walk";
        shell_->Ui().fileHook = [&](const FileDialogRequest& request) -> std::optional<std::string> {
            if (request.filter != kAviFileFilter)
                return std::nullopt;
            return chosen.toStdString();
        };
        WhenShown<AnimationExporterDialog>([](AnimationExporterDialog* dialog) {
            dialog->customButton->click();
            dialog->widthEdit->setText("64");
            dialog->heightEdit->setText("48");
            dialog->rangeButton->click();
            dialog->fromEdit->setText("2");
            dialog->toEdit->setText("nan");  // refused: keeps its value
            emit dialog->toEdit->editingFinished();
            dialog->toEdit->setText("7");
            dialog->frameRateEdit->setText("12");
            dialog->accept();
            // Then the compressor list, its first entry uncompressed.
            WhenShown<QInputDialog>([](QInputDialog* list) {
                QVERIFY(list->comboBoxItems().size() >= 1);
                QCOMPARE(list->comboBoxItems().front(), QString("Full Frames (Uncompressed)"));
                list->accept();
            });
        });
        boxes_.clear();
        QVERIFY(RunViewportOutputCommand(*editor_, 1, kCmdSaveAvi, window_));
        QCOMPARE(boxes_, std::vector<std::string>{"AVI Animation complete"});
        QCOMPARE(editor_->aviExport.aviWidth, 64);
        QCOMPARE(editor_->aviExport.aviFrom, 2);
        QCOMPARE(editor_->aviExport.aviTo, 7);
        QCOMPARE(editor_->aviExport.aviFrameRate, 12);

        QFile file(chosen + ".avi");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray avi = file.readAll();
        QCOMPARE(avi.left(4), QByteArray("RIFF"));
        QCOMPARE(avi.mid(8, 4), QByteArray("AVI "));
        QVERIFY(avi.size() > 6 * 64 * 48 * 3);  // six uncompressed frames
        QVERIFY(!avi.contains(QByteArray(64 * 48 * 3, '\0')));  // none of them blank
    }
};

CORVID_GUI_TEST_MAIN(VideoOutputTest)
#include "VideoOutputTest.moc"
