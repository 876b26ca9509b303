#pragma once

// The confirmation prompt's row of labels, in twips: the question, the phrase, "(Yes/No)?",
// "Action will be canceled in", the seconds and "Seconds", left to right.
struct ConfirmLayout
{
    static constexpr int kQuestionLeft = 120;
    static constexpr int kYesNoWidth = 735;
    static constexpr int kCancelWidth = 1815;
    static constexpr int kSecondsWidth = 375;
    static constexpr int kSecondsWordWidth = 735;
    static constexpr int kHeight = 240;
    static constexpr int kLeft = -30;
    static constexpr int kTop = -30;

    int nameLeft = 0;
    int yesNoLeft = 0;
    int cancelLeft = 0;
    int secondsLeft = 0;
    int secondsWordLeft = 0;
    int width = 0;
};

// Places the labels after the question (`questionWidth`) and the phrase (`nameWidth`);
// the other widths are the labels' own, which are never narrower than their fixed size.
ConfirmLayout layoutConfirmRow(int questionWidth, int nameWidth, int yesNoWidth, int cancelWidth,
                               int secondsWidth, int secondsWordWidth);
