#pragma once
// The rendering window of an AVI export: a preview of the frame rendered
// last, the status line and Cancel. It renders one frame per turn of the
// event loop on the GUI thread (which owns the scene and the GL contexts);
// the AviWriter encodes on its own worker meanwhile.

#include "anim/AnimationExport.h"

#include <QDialog>

#include <memory>

class QLabel;
class QPushButton;

namespace corvid {

class Editor;

class AviRenderWindow final : public QDialog {
    Q_OBJECT
public:
    // Exports viewport n's view (1..4) with the editor's export settings to path.
    AviRenderWindow(Editor& editor, int n, std::string path, QWidget* parent = nullptr);
    ~AviRenderWindow() override;

    // Runs the export modally; returns when the window has closed.
    AviExportOutcome Run();

    // Picks the compressor; the default asks the person with a list.
    CompressorChooser chooser;

    QLabel* statusLabel = nullptr;
    QPushButton* cancelButton = nullptr;

protected:
    void paintEvent(QPaintEvent* event) override;
    // Escape and Cancel stop the run between two frames; they do not close.
    void reject() override;

private:
    void start();
    void step();
    void finish();
    std::optional<AviCodec> askCompressor(const std::vector<AviCodecInfo>& codecs);

    Editor& editor_;
    int n_;
    std::string path_;
    std::unique_ptr<Device> device_;
    std::unique_ptr<AnimationExportRun> run_;
    AviExportOutcome outcome_ = AviExportOutcome::Failed;
    bool started_ = false;
};

} // namespace corvid
