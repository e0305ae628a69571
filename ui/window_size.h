// The size of the splash window, computed from its bitmap.
// Plain C++: built for Windows and for the native tests alike.
#pragma once

struct WindowSize {
    int width;
    int height;
};

// The bitmap plus two borders across and three borders and a caption down.
// The border metric is the vertical one for both directions, as the product
// has always sized this window.
WindowSize SplashWindowSize(int bitmapWidth, int bitmapHeight, int borderHeight, int captionHeight);
