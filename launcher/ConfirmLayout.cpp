#include "launcher/ConfirmLayout.h"

ConfirmLayout layoutConfirmRow(int questionWidth, int nameWidth, int yesNoWidth, int cancelWidth,
                               int secondsWidth, int secondsWordWidth)
{
    ConfirmLayout l;
    l.nameLeft = questionWidth + 125;
    l.yesNoLeft = l.nameLeft + nameWidth + 30;
    l.cancelLeft = l.yesNoLeft + yesNoWidth + 200;
    l.secondsLeft = l.cancelLeft + cancelWidth + 30;
    l.secondsWordLeft = l.secondsLeft + secondsWidth + 30;
    l.width = l.secondsWordLeft + secondsWordWidth + 50;
    return l;
}
