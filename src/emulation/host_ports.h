#pragma once
// The emulator's two ports to the host: where received bytes come from
// (HostInput) and where its replies go (HostOutput). The emulator reaches the
// host only through them; the composition root fills them with the program's
// connection, tests and tools with whatever keeps the contracts below.

#include <cstddef>
#include <cstdint>

namespace emulation {

// What the readers return when nothing waits; never a byte value.
inline constexpr int kNoHostByte = -1;

// Which waiting bytes HostInput::Peek hands out: those that, ANDed with Mask,
// lie in Lowest..Highest; with TakeStopper also the first byte outside. The
// first Unchecked bytes are handed out whatever their value.
struct HostDataRange {
    uint8_t Mask = 0xFF;
    uint8_t Lowest = 0x00;
    uint8_t Highest = 0xFF;
    bool TakeStopper = false;
    uint8_t Unchecked = 0;
};

// The received bytes, read in order. "Data" is what a reader is handed; a
// source may consume bytes of its own (a line protocol's commands, a dropped
// NUL) between them. The fast receive pass peeks and takes whole runs, so a
// call here costs once per run; the byte readers are for the plain path.
class HostInput {
  public:
    // Receives what is pending and does the source's periodic work.
    virtual void Poll() = 0;
    // More than n data bytes wait (n = 0: at least one).
    virtual bool Ready(uint32_t n) = 0;
    // The next data byte (bit 7 cleared with sevenBit, NULs dropped with
    // skipNul), or kNoHostByte when none waits.
    virtual int Read(bool sevenBit, bool skipNul) = 0;
    // The waiting bytes, at most maximum and within range, that Ready(0) and
    // Read(sevenBit, skipNul) would hand out one by one (bit 7 not yet
    // stripped), contiguous at bytes; 0 when the next byte needs Read.
    // stopped: they end at (with TakeStopper: with) a byte outside the range.
    virtual uint32_t Peek(bool skipNul, uint32_t maximum, const HostDataRange& range,
                          const uint8_t*& bytes, bool& stopped) = 0;
    // Where the waiting data starts, how many bytes lie contiguously from
    // there, and a count that changes whenever bytes seen there before may
    // have been replaced (a flush), without looking at the bytes; 0 when Peek
    // would hand out nothing whatever they are.
    virtual uint32_t Head(const uint8_t*& bytes, uint32_t& flushes) = 0;
    // Takes the first count bytes Peek handed out, as data.
    virtual void Take(uint32_t count) = 0;
    // Copies waiting data bytes in lowest..highest to destination, at most
    // maximum; returns the count, which may stop short of what waits.
    virtual uint32_t ReadRun(uint8_t* destination, uint32_t maximum, uint8_t lowest,
                             uint8_t highest) = 0;
    // Steps back over the last count bytes read, so that they are read again;
    // false, with nothing changed, when not all of them were read as data.
    virtual bool Unread(uint32_t count) = 0;
    // Copies up to count of the bytes read last, oldest first, to out;
    // returns how many, fewer only when the source keeps fewer.
    virtual uint32_t History(uint8_t* out, uint32_t count) = 0;
    // A received control code was handled: a serial line resumes its output
    // as if XON had arrived.
    virtual void ResumeOutput() = 0;

    // Where a source keeps the start of its waiting data, so that the fast
    // pass sees without a call whether bytes it peeked are still the head:
    // the head is Base + *Offset, and *Flushes changes whenever bytes seen
    // before may have been replaced. A source without one leaves Base null
    // and the pass asks Head.
    struct HeadMark {
        const uint8_t* Base = nullptr;
        const int32_t* Offset = nullptr;
        const uint32_t* Flushes = nullptr;
    };
    const HeadMark& Mark() const { return mark_; }

  protected:
    ~HostInput() = default;
    void SetMark(const HeadMark& mark) { mark_ = mark; }

  private:
    HeadMark mark_;
};

// Where the emulator's answers to the host go.
class HostOutput {
  public:
    // Sends one reply, whole and in order; false when not all of it went out.
    [[nodiscard]] virtual bool Transmit(const uint8_t* bytes, size_t length) = 0;

  protected:
    ~HostOutput() = default;
};

namespace host_ports_detail {
extern HostInput* input;
extern HostOutput* output;
}  // namespace host_ports_detail

// nullptr restores the null ports: nothing ever waits, replies go nowhere.
void SetHostInput(HostInput* input);
void SetHostOutput(HostOutput* output);

inline HostInput& HostIn() {
    return *host_ports_detail::input;
}
inline HostOutput& HostOut() {
    return *host_ports_detail::output;
}

}  // namespace emulation
