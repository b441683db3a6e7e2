// The terminal Kermit's commands: KSND sends a wildcard list of files under
// "as" names, KRCV receives files (asking a server for them when a remote
// name is given), KCOMMAND sends a generic command to a Kermit server and
// shows its answer; each draws its progress in the status box.
#include <algorithm>
#include <cctype>
#include <chrono>
#include <memory>

#include "commands/settings_record.h"
#include "console/console_primitives.h"
#include "console/file_search.h"
#include "console/system_services.h"
#include "transfer/host_link.h"
#include "transfer/kermit/kermit_packets.h"
#include "transfer/kermit/terminal_kermit.h"
#include "transfer/received_names.h"
#include "transfer/transfer_files.h"
#include "transfer/transfer_interface.h"
#include "transfer/transfer_tools.h"
#include "transfer/transfer_ui.h"

namespace transfer {

namespace tk = terminal_kermit;
using tk::Kermit;
using tk::Message;

namespace terminal_kermit {

// The "as" name of a file found by a pattern: the pieces the pattern's
// wildcards matched, put in place of the "as" pattern's wildcards. Empty when
// the name does not fit the pattern or has more than 8 pieces.
std::string KermitAsName(std::string_view pattern, std::string_view name,
                         std::string_view asPattern) {
    const std::string pat = NamePart(pattern);
    const std::string nm = NamePart(name);
    const std::string as = NamePart(asPattern);
    std::vector<std::string> pieces;
    size_t i = 0, j = 0;
    while (i < pat.size()) {
        const char pc = pat[i];
        if (pc == '?' || pc == '*') {
            if (pieces.size() == 8) return {};
            if (pc == '?') {
                pieces.push_back(j < nm.size() ? std::string(1, nm[j++]) : std::string());
                ++i;
                continue;
            }
            const size_t next = pat.find_first_of("*?", i + 1);
            const std::string literal =
                pat.substr(i + 1, next == std::string::npos ? std::string::npos : next - i - 1);
            size_t at = nm.size();
            if (!literal.empty()) {
                const std::string upperName = UpperCaseName(nm);
                at = upperName.find(UpperCaseName(literal), j);
                if (at == std::string::npos) return {};
            }
            pieces.push_back(nm.substr(j, std::min<size_t>(at - j, 20)));
            j = at;
            ++i;
            continue;
        }
        if (j >= nm.size() || std::toupper(static_cast<unsigned char>(pc)) !=
                                  std::toupper(static_cast<unsigned char>(nm[j])))
            return {};
        ++i;
        ++j;
    }
    std::string result;
    size_t piece = 0;
    for (char c : as) {
        if ((c == '*' || c == '?') && piece < pieces.size())
            result += pieces[piece++];
        else
            result += c;
    }
    return result;
}

}  // namespace terminal_kermit

namespace {

std::string NextWord(std::string_view text, size_t& pos) {
    while (pos < text.size() && text[pos] == ' ') ++pos;
    const size_t start = pos;
    while (pos < text.size() && text[pos] != ' ') ++pos;
    return std::string(text.substr(start, pos - start));
}

std::string Upper(std::string_view s) {
    std::string u(s);
    for (char& c : u) c = char(std::toupper(static_cast<unsigned char>(c)));
    return u;
}

// The extension of a file name with its dot; empty without one.
std::string ExtensionOf(const std::string& path) {
    const std::string name = NamePart(path);
    const size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot);
}

void ShowErrorPacket() {
    tk::CloseStatusBox();
    tk::WriteAtCursor(Message(1005) + tk::DecodePacketData(Kermit.ReceivedData));
}

// Sends the packet prepared and waits for its acknowledgement, resending on
// silence or a NAK; false (state 6) when none came or an error did.
bool Exchange() {
    tk::KermitSendPacket();
    for (int tries = 0; tries < 12; ++tries) {
        if (!tk::KermitReceivePacket()) {
            if (Kermit.InterruptCode == tk::kQuit) return false;
            tk::KermitSendRetry(10 - tries);
            if (Kermit.Step == 6) return false;
        }
        if (Kermit.ReceivedType == 'E') {
            ShowErrorPacket();
            Kermit.Step = 6;
            return false;
        }
        if (Kermit.ReceivedType == 'Y' && Kermit.ReceivedSeq == Kermit.Seq) return true;
        if (Kermit.ReceivedType == 'N') {
            // A NAK for the next packet acknowledges this one.
            if (Kermit.ReceivedSeq == kermit::NextSeq(Kermit.Seq)) return true;
            tk::KermitSendRetry(10 - tries);
            if (Kermit.Step == 6) return false;
            if (Kermit.ReceivedType == 'Y' && Kermit.ReceivedSeq == Kermit.Seq) return true;
        }
    }
    Kermit.Step = 6;
    return false;
}

void SendPacketOf(uint8_t type, std::string data) {
    Kermit.SentType = type;
    Kermit.SendData = std::move(data);
    tk::KermitSendPacket();
}

void AckReceived(const std::string& data = {}) {
    Kermit.Seq = Kermit.ReceivedSeq;
    SendPacketOf('Y', data);
}

void SendOurInitAsAck() {
    tk::KermitBuildInit();
    Kermit.Seq = Kermit.ReceivedSeq;
    Kermit.SentType = 'Y';
    tk::KermitSendPacket();
}

int32_t BytesPerSecond(int64_t bytes, std::chrono::steady_clock::time_point start) {
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - start)
            .count();
    return int32_t(seconds > 0 ? bytes / seconds : bytes);
}

size_t DataCapacity() {
    const size_t max = Kermit.SendMax;
    const size_t capacity = max > 94 ? max - 10 : max - 7;
    return std::clamp<size_t>(capacity, 1, tk::kMaxData);
}

}  // namespace

void InitKermit() {
    tk::KermitDefaults();
    Kermit.BoxOpen = false;
}

bool KermitSendFiles(std::string_view arguments, bool messages) {
    // Without a connection there is nobody to wait for.
    if (!HostLinkInstalled()) return false;
    size_t pos = 0;
    const std::string pattern = NextWord(arguments, pos);
    if (pattern.empty()) return false;
    std::string asPattern;
    const size_t afterSpec = pos;
    if (Upper(NextWord(arguments, pos)) == "AS")
        asPattern = NextWord(arguments, pos);
    else
        pos = afterSpec;
    if (asPattern.empty()) asPattern = NamePart(pattern);

    console::SearchRec rec;
    constexpr uint16_t kFiles = console::faReadOnly | console::faArchive;
    console::FindFirst(pattern, kFiles, rec);
    if (console::dosState.DosError != 0) {
        if (messages) tk::WriteAtCursor(Message(611) + pattern);
        return false;
    }
    tk::KermitDefaults();
    Kermit.Step = 0;
    const std::string dir = DirectoryPart(pattern);
    auto pathOf = [&](const std::string& name) {
        if (dir.empty()) return name;
        const char last = dir.back();
        return last == '/' || last == '\\' || last == ':' ? dir + name
                                                          : dir + pattern[dir.size()] + name;
    };

    bool ok = false;
    bool interrupted = false;
    bool endBatch = false;
    int32_t packets = 0;
    do {
        // The Send-Init exchange.
        tk::KermitBuildInit();
        Kermit.SentType = 'S';
        if (!Exchange()) break;
        tk::KermitReadInit();
        std::string name = rec.Name;
        std::string asName = tk::KermitAsName(pattern, name, asPattern);
        bool failed = false;
        while (!failed) {
            if (asName.empty()) asName = "temp.dat";
            const std::string path = pathOf(name);
            std::unique_ptr<TransferFile> file;
            if (TransferFiles().OpenRead(path, file) != kIoOk) {
                if (messages) tk::KermitStatusLine(Message(603) + path);
                failed = true;
                break;
            }
            const int64_t size = file->Size();
            tk::OpenStatusBox(true);
            tk::BoxText(2, 11, Message(1006) + name + Message(1007) + asName);
            tk::BoxText(6, 11, Message(1019) + std::to_string(size) + Message(1008));
            Kermit.Seq = kermit::NextSeq(Kermit.Seq);
            size_t used = 0;
            Kermit.SentType = 'F';
            Kermit.SendData = tk::EncodeFileData(reinterpret_cast<const uint8_t*>(asName.data()),
                                                 asName.size(), used, 90);
            if (!Exchange()) {
                failed = true;
                break;
            }
            const auto start = std::chrono::steady_clock::now();
            int64_t offset = 0;
            std::vector<uint8_t> block(8192);
            size_t have = 0, at = 0;
            bool fileEnded = false;
            bool skipFile = false;
            while (!fileEnded && !failed) {
                if (at >= have) {
                    size_t got = 0;
                    if (file->ReadAt(offset, block.data(), block.size(), got) != kIoOk) {
                        if (messages) tk::KermitStatusLine(Message(603) + path);
                        failed = true;
                        break;
                    }
                    offset += int64_t(got);
                    have = got;
                    at = 0;
                    if (got == 0) {
                        fileEnded = true;
                        break;
                    }
                }
                Kermit.Seq = kermit::NextSeq(Kermit.Seq);
                Kermit.SentType = 'D';
                Kermit.SendData =
                    tk::EncodeFileData(block.data() + at, have - at, used, DataCapacity());
                at += used;
                if (!Exchange()) {
                    failed = true;
                    break;
                }
                ++packets;
                const int64_t sent = offset - int64_t(have - at);
                tk::BoxNumber(4, packets);
                tk::BoxNumber(7, int32_t(sent));
                tk::BoxNumber(8, BytesPerSecond(sent, start));
                const uint8_t code = Kermit.InterruptCode;
                const char answer = Kermit.ReceivedData.empty() ? 0 : Kermit.ReceivedData[0];
                if (code == tk::kQuit || code == tk::kSendError) {
                    failed = true;
                    break;
                }
                if (code == tk::kSkipFile || code == tk::kCancelBatch || answer == 'X' ||
                    answer == 'Z') {
                    interrupted = true;
                    skipFile = true;
                    endBatch = endBatch || code == tk::kCancelBatch || answer == 'Z';
                    if (code == tk::kSkipFile) Kermit.InterruptCode = tk::kNone;
                    break;
                }
            }
            file.reset();
            if (failed) break;
            // An interrupted file is announced as discarded.
            Kermit.Seq = kermit::NextSeq(Kermit.Seq);
            Kermit.SentType = 'Z';
            Kermit.SendData = skipFile ? "D" : "";
            if (!Exchange()) {
                failed = true;
                break;
            }
            tk::CloseStatusBox();
            if (messages)
                tk::WriteAtCursor(Message(1009) + Message(1010) + name +
                                  Message(skipFile ? 1012 : 1011) + asName);
            if (endBatch) break;
            asName.clear();
            for (;;) {
                console::FindNext(rec);
                if (console::dosState.DosError != 0) break;
                name = rec.Name;
                asName = tk::KermitAsName(pattern, name, asPattern);
                if (!asName.empty()) break;
            }
            if (asName.empty()) break;
        }
        if (failed) break;
        Kermit.Seq = kermit::NextSeq(Kermit.Seq);
        Kermit.SentType = 'B';
        Kermit.SendData.clear();
        if (!Exchange()) break;
        tk::CloseStatusBox();
        if (messages) tk::WriteAtCursor(Message(interrupted ? 1014 : 1013));
        ok = true;
    } while (false);
    console::FindClose(rec);
    if (ok) return true;
    tk::CloseStatusBox();
    if (messages) tk::WriteAtCursor(Message(1015));
    Kermit.Seq = 0;
    SendPacketOf('E', Message(1016));
    return false;
}

namespace {

// Where a received file goes, by the download folder rules; empty when the
// name is refused.
std::string LocalPath(std::string local, bool replace, bool messages) {
    const commands::SettingsRecord& s = commands::Settings;
    const std::string download = s.DownloadDir.Str();
    const std::string dir = DirectoryPart(local);
    if (s.DownloadLock == 2 && !dir.empty() &&
        UpperCaseName(AppendBackslash(dir)) != UpperCaseName(AppendBackslash(download)) &&
        UpperCaseName(dir + "/") != UpperCaseName(download)) {
        if (messages) tk::KermitStatusLine(Message(1103));
        return {};
    }
    if (dir.empty() && s.DownloadLock != 0 && !download.empty())
        local = JoinFolder(download, local);
    if (replace) return local;
    for (int i = 0; i < 20 && TransferFileExists(local); ++i) local += '&';
    if (TransferFileExists(local)) {
        if (messages) tk::KermitStatusLine(Message(1023) + local);
        return {};
    }
    return local;
}

}  // namespace

bool KermitReceiveFiles(std::string_view arguments, bool messages) {
    if (!HostLinkInstalled()) return false;
    size_t pos = 0;
    std::string remoteSpec, asPattern;
    std::string word = NextWord(arguments, pos);
    if (!word.empty() && Upper(word) != "AS" && Upper(word) != "REPLACE") {
        remoteSpec = word;
        word = NextWord(arguments, pos);
    }
    if (Upper(word) == "AS") asPattern = NextWord(arguments, pos);
    const bool replace =
        Upper(std::string(arguments)).find(Upper(Message(1017))) != std::string::npos ||
        Upper(std::string(arguments)).rfind("REPLACE", 0) == 0;

    tk::KermitDefaults();
    if (!remoteSpec.empty()) {
        Kermit.Seq = 0;
        SendPacketOf('R', remoteSpec.substr(0, 90));
    }
    int32_t budget = 10;
    Kermit.Step = 7;
    std::unique_ptr<TransferFile> file;
    std::string receivedName, localName;
    bool toPrinter = false, printerOpen = false;
    bool interrupted = false;
    int32_t packets = 0;
    int64_t bytes = 0;
    auto start = std::chrono::steady_clock::now();
    uint8_t expected = 0;
    std::string line;
    auto flushLine = [&] {
        size_t written = 0;
        const bool good = !file || line.empty() ||
                          (file->Write(reinterpret_cast<const uint8_t*>(line.data()), line.size(),
                                       written) == kIoOk &&
                           written == line.size());
        line.clear();
        return good;
    };
    for (;;) {
        if (Kermit.Step == 5 || Kermit.Step == 6) break;
        if (!tk::KermitReceivePacket()) {
            if (Kermit.InterruptCode == tk::kQuit) {
                Kermit.Step = 6;
                break;
            }
            if (--budget < 0) {
                tk::KermitStatusLine(Message(1022));
                tk::CloseStatusBox();
                tk::WriteAtCursor(Message(1022));
                Kermit.Step = 6;
                break;
            }
            ++Kermit.Retries;
            tk::BoxText(5, 11, Message(1001) + " " + std::to_string(Kermit.Retries));
            if (Kermit.Step == 7 && !remoteSpec.empty() && Kermit.SentType == 'R') {
                tk::KermitSendPacket();
            } else {
                Kermit.Seq = expected;
                SendPacketOf('N', "");
            }
            continue;
        }
        budget = 10;
        const uint8_t type = Kermit.ReceivedType;
        const uint8_t seq = Kermit.ReceivedSeq;
        if (type == 'E') {
            ShowErrorPacket();
            Kermit.Step = 6;
            break;
        }
        if (type == 'S') {
            tk::KermitReadInit();
            SendOurInitAsAck();
            expected = kermit::NextSeq(seq);
            start = std::chrono::steady_clock::now();
            Kermit.Step = 8;
            continue;
        }
        if (Kermit.Step == 7) {
            Kermit.Step = 6;
            break;
        }
        if (seq == kermit::PrevSeq(expected)) {
            // Our answer was lost: it goes again.
            AckReceived();
            continue;
        }
        if (seq != expected) {
            Kermit.Seq = expected;
            SendPacketOf('N', "");
            continue;
        }
        expected = kermit::NextSeq(seq);
        if (Kermit.Step == 8) {
            if (type == 'B') {
                AckReceived();
                Kermit.Step = 5;
                break;
            }
            if (type != 'F') {
                Kermit.Step = 6;
                break;
            }
            receivedName = tk::DecodePacketData(Kermit.ReceivedData);
            const std::string safe = SafeReceivedName(receivedName);
            std::string local = safe.empty() ? std::string("temp.dat") : safe;
            if (!asPattern.empty()) {
                std::string named =
                    tk::KermitAsName(remoteSpec.empty() ? "*" : remoteSpec, local, asPattern);
                if (named.empty()) named = "temp.dat";
                // The user's "as" name may say the folder; the host's never does.
                const std::string asDir = DirectoryPart(asPattern);
                local = asDir.empty() ? named : JoinFolder(asDir, named);
            }
            // "LPT:" is the printer the settings name, which takes every file
            // of the batch in turn.
            toPrinter = Upper(asPattern) == "LPT:";
            localName = toPrinter ? commands::Settings.PrinterName.Str()
                                  : LocalPath(local, replace, messages);
            if (localName.empty()) {
                Kermit.Step = 6;
                break;
            }
            tk::OpenStatusBox(false);
            tk::BoxText(2, 11, Message(1024) + receivedName + Message(1007) + localName);
            const int opened = toPrinter && printerOpen
                                   ? TransferFiles().OpenAppend(localName, file)
                                   : TransferFiles().Create(localName, file);
            printerOpen = printerOpen || (toPrinter && opened == kIoOk);
            if (opened != kIoOk) {
                file.reset();
                if (messages) tk::KermitStatusLine(Message(609));
                Kermit.Step = 6;
                break;
            }
            bytes = 0;
            AckReceived();
            Kermit.Step = 9;
            continue;
        }
        // State 9: a file is open.
        if (type == 'A') {
            AckReceived();
            continue;
        }
        if (type == 'D') {
            ++packets;
            const uint8_t code = Kermit.InterruptCode;
            if (code == tk::kQuit) {
                Kermit.Step = 6;
                break;
            }
            if (code == tk::kSendError) {
                Kermit.Seq = seq;
                SendPacketOf('N', "");
            } else {
                AckReceived(code == tk::kSkipFile ? "X" : code == tk::kCancelBatch ? "Z" : "");
            }
            if (code == tk::kSkipFile || code == tk::kCancelBatch) {
                if (!interrupted) {
                    tk::CloseStatusBox();
                    if (messages)
                        tk::WriteAtCursor(Message(1024) + receivedName + Message(1007) + localName +
                                          Message(1025));
                }
                interrupted = true;
                if (code == tk::kSkipFile) Kermit.InterruptCode = tk::kNone;
            }
            const std::string data = tk::DecodePacketData(Kermit.ReceivedData);
            for (char c : data) {
                line += c;
                if (line.size() > 250 && !flushLine()) {
                    Kermit.Step = 6;
                    break;
                }
            }
            if (Kermit.Step == 6 || !flushLine()) {
                Kermit.Step = 6;
                break;
            }
            bytes += int64_t(data.size());
            tk::BoxNumber(4, packets);
            tk::BoxNumber(6, int32_t(bytes));
            tk::BoxNumber(7, BytesPerSecond(bytes, start));
            continue;
        }
        if (type == 'Z') {
            const bool discard = !Kermit.ReceivedData.empty() && Kermit.ReceivedData[0] == 'D';
            const int io = file ? file->Close() : kIoOk;
            file.reset();
            if (io != kIoOk && messages) tk::KermitStatusLine(Message(603) + localName);
            // What reached the printer stays there.
            if (discard && !toPrinter) TransferFiles().Remove(localName);
            AckReceived();
            tk::CloseStatusBox();
            if (!discard && !toPrinter) {
                const std::string full = console::FExpand(localName);
                Transfer.LastReceivedFile = full;
                if (commands::Settings.AutoShowGif && Upper(ExtensionOf(localName)) == ".GIF") {
                    commands::Settings.BmpFileName = full;
                    CurrentTransferUi().LoadBackgroundPicture();
                }
            }
            if (messages && !discard)
                tk::WriteAtCursor(Message(1027) + receivedName + Message(1007) + localName);
            Kermit.Step = 8;
            continue;
        }
        Kermit.Step = 6;
        break;
    }
    if (Kermit.Step == 5) {
        tk::CloseStatusBox();
        if (messages) tk::WriteAtCursor(Message(interrupted ? 1029 : 1028));
        return true;
    }
    tk::CloseStatusBox();
    if (messages) tk::WriteAtCursor(Message(1030) + Message(1031));
    if (file) file->Close();
    return false;
}

namespace {

struct GenericCommand {
    const char* name;
    char letter;
    int arguments;
};
constexpr GenericCommand kGeneric[] = {
    {"KERMIT", 'K', 1},   {"CWD", 'C', 2},    {"DIRECTORY", 'D', 1}, {"ERASE", 'E', 1},
    {"FINISH", 'F', 1},   {"HELP", 'H', 1},   {"LOGIN", 'I', 3},     {"JOURNAL", 'J', 2},
    {"COPY", 'K', 2},     {"LOGOUT", 'L', 1}, {"MESSAGE", 'M', 2},   {"PROGRAM", 'P', 2},
    {"QUERY", 'Q', 0},    {"RENAME", 'R', 2}, {"TYPE", 'T', 1},      {"USAGE", 'U', 1},
    {"VARIABLE", 'V', 3}, {"WHO", 'W', 2},
};

// One argument of a generic command: its length and text, cut to what the
// length character can say.
std::string GenericArg(std::string_view& rest) {
    if (!rest.empty() && rest[0] == ';') rest.remove_prefix(1);
    const size_t end = std::min(rest.find(';'), rest.size());
    std::string text(rest.substr(0, std::min<size_t>(end, 94)));
    rest.remove_prefix(end);
    if (text.empty()) return {};
    return std::string(1, char(kermit::ToChar(unsigned(text.size())))) + text;
}

void WriteText(const std::string& text) {
    for (char c : text) {
        if (static_cast<unsigned char>(c) < 32)
            console::WriteCharCtl(uint8_t(c));
        else
            console::WriteString(std::string_view(&c, 1));
    }
}

}  // namespace

bool KermitRemoteCommand(std::string_view arguments) {
    size_t pos = 0;
    const std::string word = Upper(NextWord(arguments, pos));
    if (word == "HOST") return true;
    if (!HostLinkInstalled()) return false;
    const GenericCommand* command = nullptr;
    for (const GenericCommand& g : kGeneric)
        if (word == g.name) command = &g;
    if (!command) return false;
    while (pos < arguments.size() && arguments[pos] == ' ') ++pos;
    std::string_view rest = arguments.substr(pos);

    tk::KermitDefaults();
    tk::KermitBuildInit();
    Kermit.SentType = 'I';
    Kermit.Step = 7;
    bool ok = false;
    do {
        if (!Exchange()) break;
        tk::KermitReadInit();
        // The parameter exchange stands apart: the command starts again at 0.
        Kermit.Seq = 0;
        std::string data;
        uint8_t type = 'G';
        if (word == "KERMIT") {
            type = 'K';
            data = std::string(rest.substr(0, 94));
        } else {
            data = std::string(1, command->letter);
            for (int i = 0; i < command->arguments; ++i) data += GenericArg(rest);
            if (word == "VARIABLE" && data.size() == 1)
                data += std::string(1, char(kermit::ToChar(5))) + "QUERY";
        }
        Kermit.SentType = type;
        Kermit.SendData = data;
        tk::KermitSendPacket();
        Kermit.Step = 8;
        uint8_t expected = Kermit.Seq;
        int32_t budget = 10;
        while (Kermit.Step == 8 || Kermit.Step == 9) {
            if (!tk::KermitReceivePacket()) {
                if (Kermit.InterruptCode == tk::kQuit || --budget < 0) {
                    Kermit.Step = 6;
                    break;
                }
                if (Kermit.Step == 8)
                    tk::KermitSendPacket();
                else {
                    Kermit.Seq = expected;
                    SendPacketOf('N', "");
                }
                continue;
            }
            budget = 10;
            const uint8_t t = Kermit.ReceivedType;
            const uint8_t seq = Kermit.ReceivedSeq;
            if (Kermit.Step == 8) {
                if (t == 'Y' || t == 'E') {
                    WriteText(tk::DecodePacketData(Kermit.ReceivedData));
                    tk::WriteAtCursor("");
                    ok = t == 'Y';
                    Kermit.Step = ok ? 5 : 6;
                    break;
                }
                if (t == 'S') {
                    tk::KermitReadInit();
                    SendOurInitAsAck();
                    expected = kermit::NextSeq(seq);
                    continue;
                }
                if (t == 'X' || t == 'F') {
                    WriteText(tk::DecodePacketData(Kermit.ReceivedData));
                    tk::WriteAtCursor("");
                    AckReceived();
                    expected = kermit::NextSeq(seq);
                    Kermit.Step = 9;
                    continue;
                }
                if (t == 'N') {
                    tk::KermitSendPacket();
                    continue;
                }
                Kermit.Step = 6;
                break;
            }
            // State 9: the answer's text.
            if (seq == kermit::PrevSeq(expected)) {
                AckReceived();
                continue;
            }
            if (t == 'D') {
                const uint8_t code = Kermit.InterruptCode;
                if (code == tk::kQuit) {
                    Kermit.Step = 6;
                    break;
                }
                WriteText(tk::DecodePacketData(Kermit.ReceivedData));
                if (code == tk::kSendError) {
                    Kermit.Seq = seq;
                    SendPacketOf('N', "");
                    continue;
                }
                AckReceived(code == tk::kSkipFile ? "X" : code == tk::kCancelBatch ? "Z" : "");
                expected = kermit::NextSeq(seq);
                continue;
            }
            if (t == 'Z') {
                AckReceived();
                expected = kermit::NextSeq(seq);
                continue;
            }
            if (t == 'B') {
                AckReceived();
                ok = true;
                Kermit.Step = 5;
                break;
            }
            if (t == 'E') {
                WriteText(Message(1005) + tk::DecodePacketData(Kermit.ReceivedData));
                tk::WriteAtCursor("");
            }
            Kermit.Step = 6;
            break;
        }
    } while (false);
    if (ok) return true;
    Kermit.Seq = 0;
    SendPacketOf('E', Message(1032));
    return false;
}

}  // namespace transfer
