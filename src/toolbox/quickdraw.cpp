// quickdraw.cpp - colour graphics ports: making and disposing of them, the
// current port, and its foreground and background colours. (Regions live
// in regions.cpp.)
//
// Colour calls act on the current port; with none current they do nothing,
// and reading a colour back gives black.
#include <new>

#include "toolbox/toolbox.h"

struct OpaqueGrafPtr {
    RGBColor fore;
    RGBColor back;
};

namespace {

constexpr RGBColor kBlack{0, 0, 0};
constexpr RGBColor kWhite{0xFFFF, 0xFFFF, 0xFFFF};

GrafPtr g_current_port = nullptr;

// The eight colours of the old colour numbers; false for any other number.
bool old_color_to_rgb(int32_t color, RGBColor *rgb) {
    switch (color) {
    case blackColor: *rgb = kBlack; return true;
    case whiteColor: *rgb = kWhite; return true;
    case redColor: *rgb = {0xFFFF, 0, 0}; return true;
    case greenColor: *rgb = {0, 0xFFFF, 0}; return true;
    case blueColor: *rgb = {0, 0, 0xFFFF}; return true;
    case cyanColor: *rgb = {0, 0xFFFF, 0xFFFF}; return true;
    case magentaColor: *rgb = {0xFFFF, 0, 0xFFFF}; return true;
    case yellowColor: *rgb = {0xFFFF, 0xFFFF, 0}; return true;
    default: return false;
    }
}

}  // namespace

extern "C" {

// A new port drawing black on white, not made current; null when memory
// runs out.
CGrafPtr CreateNewPort(void) { return new (std::nothrow) OpaqueGrafPtr{kBlack, kWhite}; }

// Disposing of the current port leaves no port current.
void DisposePort(CGrafPtr port) {
    if (port == nullptr) return;
    if (port == g_current_port) g_current_port = nullptr;
    delete port;
}

void SetPort(GrafPtr port) { g_current_port = port; }

void GetPort(GrafPtr *port) {
    if (port != nullptr) *port = g_current_port;
}

void RGBForeColor(const RGBColor *color) {
    if (g_current_port != nullptr && color != nullptr) g_current_port->fore = *color;
}

void RGBBackColor(const RGBColor *color) {
    if (g_current_port != nullptr && color != nullptr) g_current_port->back = *color;
}

// An unknown colour number leaves the colour as it was.
void ForeColor(int32_t color) {
    RGBColor rgb;
    if (old_color_to_rgb(color, &rgb)) RGBForeColor(&rgb);
}

void BackColor(int32_t color) {
    RGBColor rgb;
    if (old_color_to_rgb(color, &rgb)) RGBBackColor(&rgb);
}

void GetForeColor(RGBColor *color) {
    if (color != nullptr) *color = g_current_port != nullptr ? g_current_port->fore : kBlack;
}

void GetBackColor(RGBColor *color) {
    if (color != nullptr) *color = g_current_port != nullptr ? g_current_port->back : kBlack;
}

}  // extern "C"
