#include "window_size.h"

WindowSize SplashWindowSize(int bitmapWidth, int bitmapHeight, int borderHeight,
                            int captionHeight) {
    WindowSize size;
    size.width = bitmapWidth + 2 * borderHeight;
    size.height = bitmapHeight + 3 * borderHeight + captionHeight;
    return size;
}
