#pragma once

class QWidget;

// Window layouts are given in twips (1/1440 inch); these turn them into pixels of the
// screen the program runs on.
namespace twips {

// Twips per pixel of the primary screen (15 at 96 dots per inch).
double perPixel();
int toPixels(int twips);
int fromPixels(int pixels);

// Sets the widget's geometry from twips.
void place(QWidget* widget, int left, int top, int width, int height);

// Labels and check boxes that are narrower than their caption grow to show it whole,
// and the window grows so that all its controls fit, keeping the margin its layout
// gives the right-most one. Fonts differ from desktop to desktop; a cut-off caption
// is worse than a slightly wider window.
void fitCaptions(QWidget* window);

} // namespace twips
