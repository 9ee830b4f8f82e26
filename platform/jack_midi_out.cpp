// platform/jack_midi_out: the program's own JACK MIDI output port, writing each message in the
// cycle of its due time at the frame of that time.
//
// The UI thread hands records (a message with its due time, or a cancel) through a lock-free ring
// to the process callback, which keeps them, sorted by due time, in an array of its own and writes
// what falls due before the cycle's end. Nothing is dropped: a record that finds no room waits in
// the ring, a message that does not fit a cycle's buffer waits for the next cycle.
#include "platform/jack_midi_out.h"

#include <jack/jack.h>
#include <jack/midiport.h>
#include <jack/ringbuffer.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <thread>

#include "platform/clock.h"
#include "platform/midi_ports.h"

// ---- constants ----
namespace {
constexpr size_t kRingRecords = 65536;    // records in flight between the two threads
constexpr int kPendingCapacity = 65536;   // messages the process callback holds
constexpr int kCloseWaitMs = 200;         // longest wait for due messages to go out on close

struct Record {
  int64_t dueUs;     // program clock; for a cancel, the limit
  uint32_t message;  // short message, or 0 for a cancel
  uint32_t cancel;   // 1: forget what is due after dueUs
};

struct Pending {
  int64_t dueUs;
  uint32_t message;
};
}  // namespace

// ---- state ----
namespace {
jack_client_t* gClient = nullptr;            // the port's own client, null when closed
jack_port_t* gPort = nullptr;                // its output port
jack_ringbuffer_t* gRing = nullptr;          // records from the UI thread to the process callback
std::atomic<int64_t> gClockMinusJackUs{0};   // program clock minus JACK's clock
std::atomic<int> gPendingCount{0};           // held by the process callback (read by the UI thread)
Pending* gPending = nullptr;                 // the process callback's queue, sorted by due time
int gPendingHead = 0;                        // first held message
int gPendingEnd = 0;                         // one past the last
}  // namespace

// ---- internal helpers ----
namespace {

// Inserts keeping the due order, equal times in arrival order; messages mostly come in order, so
// the place is looked for from the back. False when full.
bool HoldMessage(const Record& r) {
  if (gPendingEnd == kPendingCapacity) {
    if (gPendingHead == 0) return false;
    std::copy(gPending + gPendingHead, gPending + gPendingEnd, gPending);
    gPendingEnd -= gPendingHead;
    gPendingHead = 0;
  }
  int at = gPendingEnd;
  while (at > gPendingHead && gPending[at - 1].dueUs > r.dueUs) --at;
  std::copy_backward(gPending + at, gPending + gPendingEnd, gPending + gPendingEnd + 1);
  gPending[at] = {r.dueUs, r.message};
  ++gPendingEnd;
  return true;
}

void ForgetAfter(int64_t limitUs) {
  int out = gPendingHead;
  for (int i = gPendingHead; i < gPendingEnd; ++i)
    if (gPending[i].dueUs <= limitUs) gPending[out++] = gPending[i];
  gPendingEnd = out;
}

void TakeRecords() {
  Record r;
  while (jack_ringbuffer_read_space(gRing) >= sizeof r) {
    jack_ringbuffer_peek(gRing, (char*)&r, sizeof r);
    if (r.cancel) {
      ForgetAfter(r.dueUs);
    } else if (!HoldMessage(r)) {
      break;  // full: the rest waits in the ring for a later cycle
    }
    jack_ringbuffer_read_advance(gRing, sizeof r);
  }
}

int Process(jack_nframes_t frames, void*) {
  void* buffer = jack_port_get_buffer(gPort, frames);
  jack_midi_clear_buffer(buffer);
  TakeRecords();
  jack_nframes_t cycleFrames;
  jack_time_t cycleUs, nextUs;
  float periodUs;
  if (jack_get_cycle_times(gClient, &cycleFrames, &cycleUs, &nextUs, &periodUs) != 0 || nextUs <= cycleUs) {
    cycleUs = jack_get_time();
    nextUs = cycleUs + 1;
  }
  const int64_t shift = gClockMinusJackUs.load(std::memory_order_relaxed);
  const int64_t start = (int64_t)cycleUs + shift, end = (int64_t)nextUs + shift;
  jack_nframes_t last = 0;
  while (gPendingHead < gPendingEnd) {
    const Pending& p = gPending[gPendingHead];
    if (p.dueUs >= end) break;
    jack_nframes_t frame = 0;
    if (p.dueUs > start) frame = (jack_nframes_t)((p.dueUs - start) * (int64_t)frames / (end - start));
    frame = std::min(std::max(frame, last), frames - 1);
    unsigned char bytes[3] = {(unsigned char)p.message, (unsigned char)(p.message >> 8),
                              (unsigned char)(p.message >> 16)};
    int length = MidiShortMessageLength(bytes[0]);
    if (length > 0 && jack_midi_event_write(buffer, frame, bytes, (size_t)length) != 0) break;  // buffer full
    last = frame;
    ++gPendingHead;
  }
  if (gPendingHead == gPendingEnd) gPendingHead = gPendingEnd = 0;
  gPendingCount.store(gPendingEnd - gPendingHead, std::memory_order_release);
  return 0;
}

void Write(const Record& r) {
  // The ring holds tens of thousands of records; it fills only while JACK stalls, and then the
  // caller waits rather than lose a message.
  for (int waited = 0; jack_ringbuffer_write_space(gRing) < sizeof r && waited < 2000; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  if (jack_ringbuffer_write_space(gRing) >= sizeof r) jack_ringbuffer_write(gRing, (const char*)&r, sizeof r);
}

}  // namespace

// ---- public functions ----
bool JackMidiOutOpen(const std::string& destinationPort) {
  JackMidiOutClose();
  jack_status_t status;
  gClient = jack_client_open("Tonvarra-out", JackNoStartServer, &status);
  if (!gClient) return false;
  if (!gPending) gPending = new Pending[kPendingCapacity];
  if (!gRing) gRing = jack_ringbuffer_create(kRingRecords * sizeof(Record));
  jack_ringbuffer_reset(gRing);
  gPendingHead = gPendingEnd = 0;
  gPendingCount.store(0);
  gPort = jack_port_register(gClient, "output", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  gClockMinusJackUs.store(ClockMicros64() - (int64_t)jack_get_time());
  if (!gPort || !gRing || jack_set_process_callback(gClient, Process, nullptr) != 0 || jack_activate(gClient) != 0) {
    jack_client_close(gClient);
    gClient = nullptr;
    gPort = nullptr;
    return false;
  }
  if (!JackMidiOutConnect(destinationPort)) {
    jack_deactivate(gClient);
    jack_client_close(gClient);
    gClient = nullptr;
    gPort = nullptr;
    return false;
  }
  return true;
}

bool JackMidiOutIsOpen() { return gClient != nullptr; }

bool JackMidiOutConnectedTo(const std::string& destinationPort) {
  return gPort && jack_port_connected_to(gPort, destinationPort.c_str()) > 0;
}

bool JackMidiOutConnect(const std::string& destinationPort) {
  return gClient && jack_connect(gClient, jack_port_name(gPort), destinationPort.c_str()) == 0;
}

void JackMidiOutPost(uint32_t message, int64_t dueUs) {
  if (!gClient) return;
  // At once is due now: after what was due before, ahead of what was handed over for later.
  Write({dueUs == 0 ? ClockMicros64() : dueUs, message, 0});
}

void JackMidiOutCancelAfter(int64_t us) {
  if (!gClient) return;
  Write({us, 0, 1});
}

void JackMidiOutClose() {
  if (!gClient) return;
  JackMidiOutCancelAfter(ClockMicros64());
  for (int waited = 0; waited < kCloseWaitMs && JackMidiOutWaiting() > 0; ++waited)
    std::this_thread::sleep_for(std::chrono::milliseconds(1));
  // The receiver reads a cycle's buffer in that cycle: one more cycle lets the last one through.
  std::this_thread::sleep_for(std::chrono::milliseconds(10));
  jack_deactivate(gClient);
  jack_client_close(gClient);
  gClient = nullptr;
  gPort = nullptr;
}

int JackMidiOutWaiting() {
  if (!gRing) return 0;
  return gPendingCount.load(std::memory_order_acquire) + (int)(jack_ringbuffer_read_space(gRing) / sizeof(Record));
}
