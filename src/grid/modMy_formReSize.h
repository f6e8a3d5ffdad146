#pragma once
// The resize rules of the report windows. Sizes are in twips as the windows' own numbers were
// (1440 to the inch: 15 to a pixel at 96 dpi); the widgets are moved in pixels.

class QWidget;

// From the screen's logical dpi; 15 where there is no screen.
double TwipsPerPixel();
int TwipsToPixels(int twips);
int PixelsToTwips(int pixels);

// -1 when the window is minimised (the resize handler stops); otherwise a window that is not
// maximised is raised to the minimum size (negative arguments: 4635 x 5000) and 0 is returned.
int FormMinSize(QWidget& window, int minWidth = -1, int minHeight = -1);

// Puts a top-panel button at its place counted from the right (1 = rightmost); returns its left
// edge in twips.
int PlaceTopButton(QWidget& button, int clientWidth, int position);

// The panel takes the client width, each grid given the width less 105.
void FitWidth(QWidget& panel, int clientWidth, QWidget* grid1 = nullptr, QWidget* grid2 = nullptr);

// The panel takes the client height below its top; with two grids the second (the sum grid)
// keeps its height and stays directly under the first.
void FitHeight(QWidget& panel, int clientHeight, QWidget* grid1 = nullptr,
               QWidget* grid2 = nullptr);
