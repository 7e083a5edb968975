#include "gui/AviRenderWindow.h"

#include "app/Editor.h"
#include "render/DeviceFactory.h"
#include "render/ImageCapture.h"
#include "render/ViewWindow.h"
#include "scene/Ui.h"

#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace corvid {

namespace {

// The preview's box: 400 wide for pictures wider than 4:3, else 300 high,
// centred in area.
QRect PreviewBox(const QRect& area, int width, int height)
{
    if (width <= 0 || height <= 0)
        return {};
    int w, h;
    if (height < width * 3 / 4) {
        w = 400;
        h = static_cast<int>(400.0 / width * height);
    } else {
        h = 300;
        w = static_cast<int>(300.0 / height * width);
    }
    return {area.x() + (area.width() - w) / 2, area.y() + (area.height() - h) / 2, w, h};
}

} // namespace

AviRenderWindow::AviRenderWindow(Editor& editor, int n, std::string path, QWidget* parent)
    : QDialog(parent), editor_(editor), n_(n), path_(std::move(path))
{
    setWindowTitle(kAviLoadingTitle);
    setMinimumSize(440, 400);
    auto* layout = new QVBoxLayout(this);
    layout->addStretch(1);
    statusLabel = new QLabel;
    layout->addWidget(statusLabel);
    cancelButton = new QPushButton("Cancel");
    layout->addWidget(cancelButton, 0, Qt::AlignRight);
    connect(cancelButton, &QPushButton::clicked, this, &AviRenderWindow::reject);
    chooser = [this](const std::vector<AviCodecInfo>& codecs) { return askCompressor(codecs); };
}

AviRenderWindow::~AviRenderWindow()
{
    ViewRecord& view = editor_.views.Viewport(n_);
    if (view.window)
        view.window->MakeCurrent();
    run_.reset();
    device_.reset();
}

AviExportOutcome AviRenderWindow::Run()
{
    QTimer::singleShot(0, this, &AviRenderWindow::start);
    exec();
    return outcome_;
}

std::optional<AviCodec> AviRenderWindow::askCompressor(const std::vector<AviCodecInfo>& codecs)
{
    QStringList names;
    for (const AviCodecInfo& info : codecs)
        names << info.text;
    bool ok = false;
    const QString chosen = QInputDialog::getItem(this, "Video Compression", "Compressor:", names, 0, false, &ok);
    if (!ok)
        return std::nullopt;
    const auto at = names.indexOf(chosen);
    if (at < 0)
        return std::nullopt;
    return codecs[static_cast<size_t>(at)].codec;
}

void AviRenderWindow::start()
{
    if (started_)
        return;
    started_ = true;
    const AviExportSettings& settings = editor_.aviExport;
    AviExportJob job;
    job.path = path_;
    job.width = settings.aviWidth;
    job.height = settings.aviHeight;
    std::tie(job.first, job.last) = AviFrameRange(settings, editor_.animation.settings.maxFrames);
    job.frameRate = settings.aviFrameRate;
    if (job.first > job.last) {
        done(0);
        outcome_ = AviExportOutcome::NothingToDo;
        return;
    }

    // The off-screen device: driver 1, or the viewport's own.
    ViewSet& views = editor_.views;
    ViewRecord& view = views.Viewport(n_);
    if (view.window)
        view.window->MakeCurrent();
    DeviceRequest request;
    request.width = std::clamp(job.width, 1, kMaxAviSide);
    request.height = std::clamp(job.height, 1, kMaxAviSide);
    request.zDepth = view.zDepth;
    request.window = view.window;
    for (int index : {0, view.driverIndex}) {
        if (device_ || !views.deviceFactory)
            break;
        if (index >= 0 && index < static_cast<int>(views.drivers.size())) {
            request.driverIndex = index;
            request.driver = &views.drivers[static_cast<size_t>(index)];
            device_ = views.deviceFactory->CreateDevice(request);
        }
    }
    if (!device_ || !view.camera) {
        editor_.ui().ShowMessage(kCaptureDeviceError);
        done(0);
        return;
    }
    device_->SetQuality(view.Quality());
    device_->SetShades(views.ShadeCount());
    device_->SetDither(view.dither);
    device_->SetRenderMode(kDefaultRenderMode);
    device_->SetTextureQuality(static_cast<TextureQuality>(view.textureQuality));
    run_ = std::make_unique<AnimationExportRun>(editor_.animation, editor_.transport, views, *device_, *view.camera,
                                                view.Parameters(), job,
                                                [this](const std::vector<AviCodecInfo>& codecs) { return chooser(codecs); });
    step();
}

void AviRenderWindow::step()
{
    ViewRecord& view = editor_.views.Viewport(n_);
    if (view.window)
        view.window->MakeCurrent();
    const bool more = run_->Step();
    statusLabel->setText(QString::fromStdString(run_->Status()));
    update();
    if (more)
        QTimer::singleShot(0, this, &AviRenderWindow::step);
    else
        QTimer::singleShot(0, this, &AviRenderWindow::finish);
}

void AviRenderWindow::finish()
{
    ViewRecord& view = editor_.views.Viewport(n_);
    if (view.window)
        view.window->MakeCurrent();
    outcome_ = run_->Finish();
    editor_.views.RenderAllViews();
    done(0);
}

void AviRenderWindow::reject()
{
    if (!run_) {
        QDialog::reject();
        return;
    }
    run_->Cancel();
    setWindowTitle(kAviCancelledTitle);
}

void AviRenderWindow::paintEvent(QPaintEvent* event)
{
    QDialog::paintEvent(event);
    if (!run_)
        return;
    const Image& picture = run_->LastPicture();
    if (!IsValidImage(picture))
        return;
    const QImage image(picture.rgba.data(), picture.width, picture.height, picture.width * 4,
                       QImage::Format_RGBA8888);
    QPainter painter(this);
    QRect area = rect();
    area.setBottom(statusLabel->geometry().top() - 4);
    painter.drawImage(PreviewBox(area, picture.width, picture.height), image);
}

} // namespace corvid
