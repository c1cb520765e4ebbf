#include "system/CommandReadLoop.h"

#include <algorithm>
#include <memory>
#include <vector>

namespace {

// How long a cancelled read may take to report back.
const DWORD kSettleMs = 5000;

DWORD MsLeft(ULONGLONG until)
{
    const ULONGLONG now = ::GetTickCount64();
    return now >= until ? 0 : static_cast<DWORD>(std::min<ULONGLONG>(until - now, INFINITE - 1));
}

struct SPacket {
    bool bArrived;
    ULONG_PTR nKey;
    bool bOk;       // false: the read failed (broken pipe, cancelled)
    DWORD nValue;   // bytes read, or the tree's message
};

SPacket NextPacket(HANDLE port, DWORD waitMs)
{
    DWORD value = 0;
    ULONG_PTR key = 0;
    OVERLAPPED* ov = nullptr;
    const BOOL ok = ::GetQueuedCompletionStatus(port, &value, &key, &ov, waitMs);
    if (!ok && !ov)
        return {false, 0, false, 0};   // time is up (or the port failed: the run is given up all the same)
    return {true, key, ok != FALSE, ok ? value : 0};
}

// One overlapped read of the pipe at a time; each read started reports its
// end to the port, also when it finds bytes at once or is cancelled.
class CPipeReader {
public:
    enum class EStart { Ready, Pending, Ended };

    CPipeReader(HANDLE pipe, HANDLE port, DWORD bufferBytes)
        : m_hPipe(pipe), m_hPort(port), m_state(new SState{{}, std::vector<char>(bufferBytes)})
    {
    }
    ~CPipeReader()
    {
        SPacket ignored = {};
        if (m_bPending)
            Cancel();
        // A read that never reports back may still write into its buffer:
        // that memory is left to it.
        if (m_bPending && !Await(kSettleMs, ignored))
            m_state.release();
    }
    CPipeReader(const CPipeReader&) = delete;
    CPipeReader& operator=(const CPipeReader&) = delete;

    bool Pending() const { return m_bPending; }
    const char* Data() const { return m_state->buffer.data(); }

    // Ended: the pipe broke (no writer is left) or failed; no packet comes.
    EStart Start()
    {
        std::fill(m_state->buffer.begin(), m_state->buffer.end(), '\0');
        m_state->ov = OVERLAPPED{};
        const DWORD room = static_cast<DWORD>(m_state->buffer.size() - 1);
        if (::ReadFile(m_hPipe, m_state->buffer.data(), room, nullptr, &m_state->ov)) {
            m_bPending = true;
            return EStart::Ready;
        }
        m_bPending = ::GetLastError() == ERROR_IO_PENDING;
        return m_bPending ? EStart::Pending : EStart::Ended;
    }
    void Cancel() { ::CancelIoEx(m_hPipe, &m_state->ov); }
    // Bytes the pipe holds that no read has taken yet; 0 when it holds none,
    // has broken empty, or cannot say.
    DWORD Buffered() const
    {
        DWORD bytes = 0;
        return ::PeekNamedPipe(m_hPipe, nullptr, 0, nullptr, &bytes, nullptr) ? bytes : 0;
    }
    // The read's packet, passing over the tree's; false if none came in time.
    bool Await(DWORD waitMs, SPacket& read)
    {
        const ULONGLONG until = ::GetTickCount64() + waitMs;
        for (;;) {
            read = NextPacket(m_hPort, MsLeft(until));
            if (!read.bArrived)
                return false;
            if (read.nKey == kReadKey) {
                Reported();
                return true;
            }
        }
    }
    void Reported() { m_bPending = false; }

private:
    struct SState {
        OVERLAPPED ov;
        std::vector<char> buffer;
    };
    HANDLE m_hPipe;
    HANDLE m_hPort;
    std::unique_ptr<SState> m_state;
    bool m_bPending = false;
};

void Hand(const CPipeReader& reader, const SPacket& read, const SReadPlan& plan, const ChunkHandler& onChunk)
{
    if (read.nValue == 0)
        return;
    onChunk(reader.Data(), read.nValue);
    ::Sleep(plan.pauseMs);
}

// The command has ended: what it wrote is buffered in the pipe or in the read
// in flight. A read is cancelled only when the pipe holds nothing more (a
// read with bytes waiting may still report pending: under wine it does), and
// reading stops when nothing more is buffered, so a copy of the write end held
// elsewhere (the pipe then never breaks) does not hold the run, nor, past
// kDrainMs, a writer that never stops.
void Drain(CPipeReader& reader, const SReadPlan& plan, const ChunkHandler& onChunk)
{
    const ULONGLONG until = std::min(plan.deadline, ::GetTickCount64() + kDrainMs);
    while (MsLeft(until) > 0) {
        if (!reader.Pending()) {
            // Bytes are waiting: a new read takes them, however it reports.
            if (reader.Buffered() == 0 || reader.Start() == CPipeReader::EStart::Ended)
                return;
        } else if (reader.Buffered() == 0) {
            reader.Cancel();   // the read from before the end: what it took, it still reports
        }
        SPacket read = {};
        if (!reader.Await(kSettleMs, read))
            return;
        Hand(reader, read, plan, onChunk);
    }
}

}  // namespace

bool ReadUntilTreeEnds(HANDLE pipe, HANDLE port, const CProcessTree& tree, const SReadPlan& plan,
                       const ChunkHandler& onChunk)
{
    CPipeReader reader(pipe, port, plan.bufferBytes);
    // Once the pipe has broken (no writer left), only the tree is waited for.
    reader.Start();
    for (;;) {
        const SPacket p = NextPacket(port, MsLeft(plan.deadline));
        if (!p.bArrived)
            return false;
        if (p.nKey == kTreeKey) {
            if (tree.Ended(p.nValue))
                break;   // the interpreter's end: no job notice is waited for
        } else if (p.nKey == kReadKey) {
            reader.Reported();
            Hand(reader, p, plan, onChunk);
            if (p.bOk)
                reader.Start();
        }
    }
    // What the command left running (a program started in the background
    // that holds the output) ends now; the output it gave is kept.
    tree.EndLeftovers();
    Drain(reader, plan, onChunk);
    return true;
}
