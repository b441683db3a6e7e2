#include "ui/message_box.h"
namespace ui {
namespace {

int SilentMessageBox(std::string_view) {
    return MessageBoxOk;
}

int UnansweredQuestion(std::string_view, std::string_view, bool withCancel) {
    return withCancel ? MessageBoxCancel : MessageBoxNo;
}

int SilentCaptionedBox(std::string_view, std::string_view) {
    return MessageBoxOk;
}

struct MessageBoxSeam {
    MessageBoxFunction Show = SilentMessageBox;
    QuestionBoxFunction Ask = UnansweredQuestion;
    CaptionedBoxFunction ShowCaptioned = SilentCaptionedBox;
};
MessageBoxSeam MessageBoxState;

}  // namespace

int LangMessageBoxShort(std::string_view text) {
    // The box takes a short string.
    if (text.size() > 255) text = text.substr(0, 255);
    return MessageBoxState.Show(text);
}

MessageBoxFunction SetMessageBoxFunction(MessageBoxFunction show) {
    MessageBoxFunction previous = MessageBoxState.Show;
    MessageBoxState.Show = show ? show : SilentMessageBox;
    return previous;
}

int QuestionBox(std::string_view text, std::string_view caption, bool withCancel) {
    return MessageBoxState.Ask(text, caption, withCancel);
}

QuestionBoxFunction SetQuestionBoxFunction(QuestionBoxFunction show) {
    QuestionBoxFunction previous = MessageBoxState.Ask;
    MessageBoxState.Ask = show ? show : UnansweredQuestion;
    return previous;
}

int CaptionedMessageBox(std::string_view text, std::string_view caption) {
    return MessageBoxState.ShowCaptioned(text, caption);
}

CaptionedBoxFunction SetCaptionedBoxFunction(CaptionedBoxFunction show) {
    CaptionedBoxFunction previous = MessageBoxState.ShowCaptioned;
    MessageBoxState.ShowCaptioned = show ? show : SilentCaptionedBox;
    return previous;
}

}  // namespace ui
