#include "render/ViewMath.h"

namespace corvid {

std::array<std::optional<Rect>, 4> LayoutViewports(int kind, int W, int H)
{
    const int w2 = W / 2, w3 = W / 3, w23 = (2 * W) / 3;
    const int h2 = H / 2, h3 = H / 3, h23 = (2 * H) / 3;
    using R = Rect;
    switch (kind) {
    case 1: return {R{0, 0, W, H}, std::nullopt, std::nullopt, std::nullopt};
    case 2: return {R{0, 0, w2, h2}, R{0, h2, w2, h2}, R{w2, 0, w2, h2}, R{w2, h2, w2, h2}};
    case 3: return {R{0, 0, w3, h3}, R{0, h3, w3, h3}, R{0, h23, w3, h3}, R{w3, 0, w23, H}};
    case 4: return {R{0, 0, w23, H}, R{w23, 0, w3, h3}, R{w23, h3, w3, h3}, R{w23, h23, w3, h3}};
    case 5: return {R{0, 0, W, h23}, R{0, h23, w3, h3}, R{w3, h23, w3, h3}, R{w23, h23, w3, h3}};
    case 6: return {R{0, 0, w3, h3}, R{w3, 0, w3, h3}, R{w23, 0, w3, h3}, R{0, h3, W, h23}};
    case 7: return {R{0, 0, w3, h2}, R{0, h2, w3, h2}, R{w3, 0, w23, H}, std::nullopt};
    case 8: return {R{0, 0, w23, H}, R{w23, 0, w3, h2}, R{w23, h2, w3, h2}, std::nullopt};
    case 9: return {R{0, 0, W, h3}, R{0, h3, W, h23}, std::nullopt, std::nullopt};
    case 10: return {R{0, 0, W, h23}, R{0, h23, W, h3}, std::nullopt, std::nullopt};
    case 11: return {R{0, 0, w3, H}, R{w3, 0, w23, H}, std::nullopt, std::nullopt};
    case 12: return {R{0, 0, w23, H}, R{w23, 0, w3, H}, std::nullopt, std::nullopt};
    case 13: return {R{0, 0, w2, h2}, R{w2, 0, w2, h2}, R{0, h2, W, h2}, std::nullopt};
    case 14: return {R{0, 0, W, h2}, R{0, h2, w2, h2}, R{w2, h2, w2, h2}, std::nullopt};
    case 15: return {R{0, 0, W, h2}, R{0, h2, W, h2}, std::nullopt, std::nullopt};
    case 16: return {R{0, 0, w2, H}, R{w2, 0, w2, H}, std::nullopt, std::nullopt};
    default: return {};
    }
}

std::array<bool, 4> UsedViewports(int kind)
{
    auto rects = LayoutViewports(kind, 0, 0);
    return {rects[0].has_value(), rects[1].has_value(), rects[2].has_value(), rects[3].has_value()};
}

Size ScaleByDetail(Size client, int detail)
{
    if (client.width <= 0 || client.height <= 0 || detail <= 0)
        return {};
    // 64-bit so that a huge window cannot overflow the product.
    auto scale = [detail](int v) { return static_cast<int>(static_cast<long long>(detail) * v / 100); };
    return {scale(client.width), scale(client.height)};
}

Rect RenderOutputBox(Size client, int outputWidth, int outputHeight)
{
    if (outputWidth <= 0 || outputHeight <= 0)
        return {};
    const long long w = outputWidth, h = outputHeight;
    Rect box;
    if (h < w * 3 / 4) {
        box.width = 400;
        box.height = static_cast<int>(400 * h / w);
    } else {
        box.height = 300;
        box.width = static_cast<int>(300 * w / h);
    }
    box.x = (client.width - box.width) / 2;
    box.y = (client.height - box.height) / 2;
    return box;
}

int ShadeCount(int desktopDepth)
{
    return desktopDepth == 16 ? 32 : 256;
}

} // namespace corvid
