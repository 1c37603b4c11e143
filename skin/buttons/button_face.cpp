#include "skin/buttons/button_face.h"

int ButtonFrame(DWORD state, int frameCount) {
    if ((state & BUTTON_HIDDEN) != 0) return -1;
    int frame = 0;
    if ((state & BUTTON_DISABLED) != 0) {
        frame = frameCount >= 4 ? 3 : 0;
    } else if ((state & BUTTON_DOWN) != 0) {
        frame = 1;
    } else if ((state & BUTTON_HOVER) != 0 && frameCount != 2) {
        frame = 2;
    }
    return frame < frameCount ? frame : 0;
}
