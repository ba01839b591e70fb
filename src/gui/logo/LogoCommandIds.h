#pragma once

// The Logo Download module's commands (see frame/CommandIds.h for how the numbers are
// used).
namespace Cmd {
constexpr int FileOpenBitmap = 32794;
constexpr int ConfigureLogoSize = 32797;

constexpr int Zoom050 = 32804, Zoom075 = 32805, Zoom100 = 32800, Zoom150 = 32801, Zoom200 = 32802,
              Zoom300 = 32803;
constexpr int Threshold25 = 32806, Threshold50 = 32808, Threshold75 = 32807, Threshold99 = 32809;
// Floyd-Steinberg dithering beside the thresholds: a command of this program's own.
constexpr int ThresholdDither = 32830;

constexpr int LogoFlash0 = 32776;     // to 32783
constexpr int LogoPrintSlot0 = 32784; // to 32791
constexpr int LogoTestFeed = 32793;
constexpr int LogoTestPrint = 32792;

// View > Zoom and View > Color Threshold: one item for each choice of
// logo/LogoViewChoices.h, in its order.
inline constexpr int kZoomCommands[] = {Zoom050, Zoom075, Zoom100, Zoom150, Zoom200, Zoom300};
inline constexpr int kThresholdCommands[] = {Threshold25, Threshold50, Threshold75, Threshold99};
} // namespace Cmd
