#pragma once
// The picture and video commands of a viewport's popup menu: "Save image ..."
// (file dialog, "Image size" dialog, the capture) and "Save AVI animation
// ..." (file dialog, "Animation Exporter" dialog, the rendering window).

class QWidget;

namespace corvid {

class Editor;

// Runs command for viewport n (1..4). False when command is neither of the two.
bool RunViewportOutputCommand(Editor& editor, int n, int command, QWidget* parent);

} // namespace corvid
