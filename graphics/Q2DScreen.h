#pragma once
// The screen side of the graphics module: which screen is current, the
// graphics buffer that Graphics made, and the desktop buffer.

class Q2DBuffer;

// Makes the screen driver's desktop screen current (none for OpenGL).
void startScreens();
// EndGraphics, and the desktop buffer goes too: nothing of the screen
// driver may outlive it.
void endScreens();
