#include "commands/transfer_commands.h"

#include <string>

#include "commands/command_handlers.h"
#include "commands/interpreter.h"
#include "commands/variables.h"
#include "console/console_primitives.h"
#include "transfer/transfer_interface.h"

namespace commands {

namespace {

using TransferOperation = void (*)(std::string_view, std::string&);

// The library transfers: the rest of the line, expanded and cut to 255
// bytes, to the operation; a reply other than "00" or empty is a failure,
// which the reply forms keep as their reply and the plain forms report.
void RunTransfer(FunctionCall& call, TransferOperation operation, bool replyForm) {
    call.SkipBlanks();
    std::string arguments = ExpandVariables(call.RestOfLine(call.Line.size()));
    if (arguments.size() > 255) arguments.resize(255);
    std::string reply;
    operation(arguments, reply);
    const bool ok = reply.empty() || reply == "00";
    if (replyForm) {
        call.SetReply(reply);
        if (!ok) call.Succeeded = false;
        return;
    }
    call.SetReply("");
    if (!ok) {
        call.Succeeded = false;
        if (!call.DivertToErrorKey()) call.Status = FunctionBadArgument;
    }
}

template <TransferOperation Op, bool ReplyForm>
void TransferHandler(FunctionCall& call) {
    RunTransfer(call, Op, ReplyForm);
}

// The terminal's own Kermit: a failed plain form tries the error key; the
// command itself still counts as done, and the reply forms answer "00" or "01".
enum class OwnKermit { kSend, kReceive, kRemote };

template <OwnKermit Kind, bool Messages, bool ReplyForm>
void OwnKermitHandler(FunctionCall& call) {
    call.SkipBlanks();
    std::string arguments = ExpandVariables(call.RestOfLine(call.Line.size()));
    if (arguments.size() > 255) arguments.resize(255);
    if (console::ConsoleLayer.DirectWrite) console::EndDirectWrite();
    console::RestoreCursorState();
    bool ok = false;
    if (Kind == OwnKermit::kSend)
        ok = transfer::KermitSendFiles(arguments, Messages);
    else if (Kind == OwnKermit::kReceive)
        ok = transfer::KermitReceiveFiles(arguments, Messages);
    else
        ok = transfer::KermitRemoteCommand(arguments);
    console::SaveCursorState();
    if (ReplyForm) {
        call.SetReply(ok ? "00" : "01");
        return;
    }
    call.SetReply("");
    if (!ok) call.DivertToErrorKey();
}

void TransferOptionsHandler(FunctionCall& call) {
    call.SetReply("");
    if (!transfer::TransferOptionsCommand()) {
        call.Succeeded = false;
        if (!call.DivertToErrorKey()) call.Status = FunctionBadArgument;
    }
}

// FTP and URL transfers need the FTP client, which this program does not
// have yet: they report that they could not run.
void FtpNotAvailable(FunctionCall& call) {
    call.Succeeded = false;
}
void FtpReplyNotAvailable(FunctionCall& call) {
    call.SetReply("01");
    call.Succeeded = false;
}

}  // namespace

void AddTransferCommands(CommandHandlerTable& table) {
    using namespace transfer;
    table.ByCode[101] = OwnKermitHandler<OwnKermit::kReceive, true, false>;
    table.ByCode[102] = OwnKermitHandler<OwnKermit::kSend, true, false>;
    table.ByCode[103] = OwnKermitHandler<OwnKermit::kRemote, true, false>;
    table.ByCode[248] = OwnKermitHandler<OwnKermit::kReceive, false, true>;
    table.ByCode[249] = OwnKermitHandler<OwnKermit::kSend, false, true>;
    table.ByCode[257] = TransferHandler<AsciiSendCommand, false>;
    table.ByCode[258] = TransferHandler<KermitReceiveCommand, false>;
    table.ByCode[259] = TransferHandler<KermitSendCommand, false>;
    table.ByCode[260] = TransferOptionsHandler;
    table.ByCode[261] = TransferHandler<XmodemReceiveCommand, false>;
    table.ByCode[262] = TransferHandler<XmodemSendCommand, false>;
    table.ByCode[263] = TransferHandler<YmodemReceiveCommand, false>;
    table.ByCode[264] = TransferHandler<YmodemSendCommand, false>;
    table.ByCode[265] = TransferHandler<ZmodemReceiveCommand, false>;
    table.ByCode[266] = TransferHandler<ZmodemSendCommand, false>;
    table.ByCode[267] = TransferHandler<KermitReceiveCommand, true>;
    table.ByCode[268] = TransferHandler<KermitSendCommand, true>;
    table.ByCode[269] = TransferHandler<XmodemSendCommand, true>;
    table.ByCode[270] = TransferHandler<XmodemReceiveCommand, true>;
    table.ByCode[271] = TransferHandler<YmodemSendCommand, true>;
    table.ByCode[272] = TransferHandler<YmodemReceiveCommand, true>;
    table.ByCode[273] = TransferHandler<ZmodemReceiveCommand, true>;
    table.ByCode[274] = TransferHandler<ZmodemSendCommand, true>;
    table.ByCode[239] = FtpNotAvailable;
    table.ByCode[189] = FtpNotAvailable;
    table.ByCode[190] = FtpReplyNotAvailable;
    table.ByCode[191] = FtpNotAvailable;
    table.ByCode[192] = FtpReplyNotAvailable;
}

}  // namespace commands
