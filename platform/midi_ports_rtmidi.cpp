// platform/midi_ports: MIDI ports through RtMidi, on the ALSA sequencer or, without it, on JACK.
//
// One input client and one output client live as long as their service; under JACK they are made
// again when the server they were made on goes away, so a restarted server is found. The input callback
// runs on RtMidi's thread (JACK's realtime thread under JACK): it stamps each message with the
// program's clock and posts it. A gate with an in-flight count lets closing wait until no callback
// can post any more, so a queue flushed after the close stays empty.
//
// Output messages to an ALSA port go through the timed sender's thread, each at its due time, in
// order; the output client is used under one lock by that thread and the UI thread. Under JACK the
// output client only lists the ports: the program's own JACK port (platform/jack_midi_out) writes
// each message into the cycle of its time. Closing sends what is due, drops what is not, and then
// closes.
//
// A count lists the ports: every name is read once into a listing that the names and the opens by
// index then use, so a caller's count, names and open agree even while ports come and go. RtMidi
// asks JACK for the whole list again for every single name, which made listing many JACK ports
// cost the cube of their number; under JACK the list is asked for once, and only again after the
// server has reported a port that came, went or was renamed. Without such reports (ALSA) every
// count lists again.
#include "platform/midi_ports.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <jack/jack.h>
#include <unistd.h>

#include <RtMidi.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cctype>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/clock.h"
#include "platform/jack_midi_out.h"
#include "platform/messages.h"
#include "platform/timed_sender.h"

// ---- state ----
namespace {
enum class Service { kUnknown, kAlsa, kJack, kNone };
constexpr const char* kClientName = "Tonvarra";

// The ports of one direction as one count saw them.
struct PortListing {
  bool made = false;
  unsigned changes = 0;              // gJackPortChanges when it was made
  std::vector<std::string> names;    // every port of the service, in the service's order
  std::vector<unsigned> offered;     // indices into names, in offering order
};

Service gService = Service::kUnknown;          // chosen at first use
std::unique_ptr<RtMidiIn> gIn;                 // the input client (lists ports, holds the open one)
bool gInUsed = false;                          // gIn has had a port open: the next open gets a new client
std::mutex gOutMutex;                          // guards gOut: the UI thread and the sender use it
std::unique_ptr<RtMidiOut> gOut;               // the output client
bool gOutJack = false;                         // the open output is the program's own JACK port
std::string gOutJackDestination;               // the JACK port that output goes to
std::string gInOpenName;                       // service name of the open input port, "" when closed
bool gInOpen = false;                          // an input port is connected
std::atomic<bool> gInStarted{false};           // the callback may post
std::atomic<int> gInCallbacks{0};              // callbacks running now
std::atomic<bool> gOpenFailed{false};          // RtMidi reported an error during an open
jack_client_t* gWatchClient = nullptr;         // JACK only: asks the server what is connected
std::atomic<bool> gJackServerGone{false};      // the server of the JACK clients has shut down
bool gJackPortsReported = false;               // the watching client hears every change of the ports
std::atomic<unsigned> gJackPortChanges{0};     // changes of the ports it has heard of
PortListing gInListing;                        // the input ports as last listed
PortListing gOutListing;                       // the output ports as last listed
}  // namespace

// ---- private helpers ----
static void SilentAlsaError(const char*, int, const char*, int, const char*, ...) {}
static void SilentJackMessage(const char*) {}

// RtMidi prints to standard error while a client is made, before a handler can be set; the
// descriptor is pointed at /dev/null for that moment (start-up, UI thread).
struct QuietStandardError {
  int saved = -1;
  QuietStandardError() {
    int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
    if (null < 0) return;
    saved = dup(2);
    if (saved >= 0) dup2(null, 2);
    close(null);
  }
  ~QuietStandardError() {
    if (saved < 0) return;
    dup2(saved, 2);
    close(saved);
  }
};

// Errors of an open input are reported to the window; everything else (warnings such as "JACK
// server not running?") is expected and dropped.
static void InputErrorCallback(RtMidiError::Type type, const std::string&, void*) {
  if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
  if (gInStarted.load()) PostAppMessage(kMsgMidiInError, 0, 0);
  else gOpenFailed.store(true);
}

static void OutputErrorCallback(RtMidiError::Type type, const std::string&, void*) {
  if (type == RtMidiError::WARNING || type == RtMidiError::DEBUG_WARNING) return;
  gOpenFailed.store(true);
}

static void InputCallback(double, std::vector<unsigned char>* message, void*) {
  gInCallbacks.fetch_add(1);
  if (gInStarted.load() && message && !message->empty() && message->size() <= 3) {
    uint32_t stamp = ClockMs32();
    uint64_t packed = 0;
    for (size_t i = 0; i < message->size(); ++i) packed |= (uint64_t)(*message)[i] << (8 * i);
    // Keys and the pedal change the picture: the frame that waits is woken to draw them.
    uint8_t kind = (*message)[0] & 0xF0;
    bool shown = kind == 0x80 || kind == 0x90 || (kind == 0xB0 && message->size() > 1 && (*message)[1] == 64);
    if (shown) PostWakingAppMessage(kMsgMidiInData, packed, (int64_t)stamp);
    else PostAppMessage(kMsgMidiInData, packed, (int64_t)stamp);
  }
  gInCallbacks.fetch_sub(1);
}

static void JackServerShutDown(void*) { gJackServerGone.store(true); }
static void JackPortRegistered(jack_port_id_t, int, void*) { gJackPortChanges.fetch_add(1); }
static void JackPortRenamed(jack_port_id_t, const char*, const char*, void*) { gJackPortChanges.fetch_add(1); }

// The watching client is made on the same server as the RtMidi clients; its shutdown tells that
// they are all gone with it (JACK leaves a dead client usable for listing, but nothing opens on it).
// Active, it hears every port that comes, goes or is renamed; a listing made before it could hear
// them is made again.
static void OpenJackWatch() {
  if (gWatchClient) return;
  jack_status_t status;
  gWatchClient = jack_client_open("Tonvarra-watch", JackNoStartServer, &status);
  if (!gWatchClient) return;
  jack_on_shutdown(gWatchClient, JackServerShutDown, nullptr);
  gJackPortsReported = jack_set_port_registration_callback(gWatchClient, JackPortRegistered, nullptr) == 0 &&
                       jack_set_port_rename_callback(gWatchClient, JackPortRenamed, nullptr) == 0 &&
                       jack_activate(gWatchClient) == 0;
  gJackPortChanges.fetch_add(1);
}

// A new input client on the api, reading only what the program takes: system exclusive, timing and
// active sensing are left out. Throws RtMidiError when the service refuses.
static std::unique_ptr<RtMidiIn> MakeInputClient(RtMidi::Api api) {
  auto in = std::make_unique<RtMidiIn>(api, kClientName);
  in->setErrorCallback(InputErrorCallback);
  in->ignoreTypes(true, true, true);
  return in;
}

// RtMidi keeps its reading state across a close: after a system-exclusive message cut off before its
// end (a keyboard switched off mid-dump, bytes lost on the way) it takes everything that follows for
// the rest of that message and drops it, for good. A port is therefore never opened twice on one
// client; reopening (the full reset, the watchdog) is how the user gets such a keyboard back. A client
// that could not be made is tried again.
static void RenewUsedInputClient() {
  if ((gIn && !gInUsed) || (gService != Service::kAlsa && gService != Service::kJack)) return;
  gIn.reset();  // first, so that JACK gives the new client the old one's name
  gInUsed = false;
  QuietStandardError quiet;
  try {
    gIn = MakeInputClient(gService == Service::kAlsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK);
  } catch (const RtMidiError&) {
  }
}

static void ChooseService();

// Lets go of every client of a JACK server that has gone and makes new ones, so the next listing
// and open reach the server started in its place. The clients of the dead server are all closed
// before a new one is opened: the JACK library frees its state of a dead server when a client is
// next opened, and closing an old client after that crashes. The output to a JACK port stays
// wanted and is connected again by KeepJackOutputConnected.
// Closes the input and the watching client and lets the clients go; the service is chosen again
// at the next use.
static void ReleaseClients() {
  MidiInPortClose();
  if (gWatchClient) jack_client_close(gWatchClient);
  gWatchClient = nullptr;
  gJackPortsReported = false;
  gInListing = PortListing();
  gOutListing = PortListing();
  gIn.reset();
  {
    std::lock_guard<std::mutex> lock(gOutMutex);
    gOut.reset();
  }
  gJackServerGone.store(false);
  gService = Service::kUnknown;
}

static void DropClientsOfAGoneServer() {
  if (gService != Service::kJack || !gJackServerGone.load()) return;
  if (gOutJack) JackMidiOutClose();
  ReleaseClients();
  ChooseService();
}

static void ChooseService() {
  DropClientsOfAGoneServer();
  if (gService == Service::kJack) OpenJackWatch();
  if (gService != Service::kUnknown) return;
  snd_lib_error_set_handler(SilentAlsaError);
  jack_set_error_function(SilentJackMessage);
  jack_set_info_function(SilentJackMessage);
  QuietStandardError quiet;
  const RtMidi::Api apis[2] = {RtMidi::LINUX_ALSA, RtMidi::UNIX_JACK};
  for (RtMidi::Api api : apis) {
    try {
      auto in = MakeInputClient(api);
      auto out = std::make_unique<RtMidiOut>(api, kClientName);
      out->setErrorCallback(OutputErrorCallback);
      gIn = std::move(in);
      gInUsed = false;
      std::lock_guard<std::mutex> lock(gOutMutex);
      gOut = std::move(out);
      gService = api == RtMidi::LINUX_ALSA ? Service::kAlsa : Service::kJack;
      if (gService == Service::kJack) OpenJackWatch();
      return;
    } catch (const RtMidiError&) {
    }
  }
  gService = Service::kNone;
}

// The ALSA client number at the end of an RtMidi ALSA port name ("... 20:0"), -1 when absent.
static int AlsaClientNumber(const std::string& name) {
  size_t colon = name.rfind(':');
  size_t space = name.rfind(' ');
  if (colon == std::string::npos || space == std::string::npos || space > colon) return -1;
  std::string digits = name.substr(space + 1, colon - space - 1);
  if (digits.empty() || digits.size() > 6) return -1;
  for (char c : digits)
    if (!std::isdigit((unsigned char)c)) return -1;
  return std::stoi(digits);
}

static bool StartsWith(const std::string& s, const char* prefix) { return s.rfind(prefix, 0) == 0; }

// JACK keeps a port's name when its client leaves and comes back, but drops our connection to it:
// a keyboard replugged between two checks would look present while nothing reaches us. True while
// the open port still feeds our input port ("Tonvarra...:input"); also when JACK cannot be asked
// (no watching client, or one that cannot see the port the listing just named).
static bool JackInputStillConnected() {
  if (!gWatchClient) return true;
  jack_port_t* source = jack_port_by_name(gWatchClient, gInOpenName.c_str());
  if (!source) return true;
  const char** connections = jack_port_get_all_connections(gWatchClient, source);
  bool ours = false;
  for (const char** c = connections; c && *c && !ours; ++c) {
    const std::string name = *c;
    ours = StartsWith(name, kClientName) && name.size() > 6 && name.compare(name.size() - 6, 6, ":input") == 0;
  }
  if (connections) jack_free(connections);
  return ours;
}

// The indices of the service's ports offered to the program, in offering order.
static std::vector<unsigned> OfferedPorts(const std::vector<std::string>& names, bool input) {
  std::vector<std::pair<int, unsigned>> ranked;
  for (unsigned i = 0; i < names.size(); ++i) {
    int cls = MidiPortClass(names[i], input);
    if (cls >= 0) ranked.push_back({cls, i});
  }
  std::stable_sort(ranked.begin(), ranked.end(), [](auto& a, auto& b) { return a.first < b.first; });
  std::vector<unsigned> out;
  for (auto& r : ranked) out.push_back(r.second);
  return out;
}

// Every port name of the service for one direction, in the order of RtMidi's indices. Under JACK
// that is the order JACK lists them in, asked for once.
template <typename Client>
static std::vector<std::string> ServicePortNames(Client* client, bool input) {
  std::vector<std::string> names;
  if (gService == Service::kJack && gWatchClient) {
    const char** ports =
        jack_get_ports(gWatchClient, nullptr, JACK_DEFAULT_MIDI_TYPE, input ? JackPortIsOutput : JackPortIsInput);
    for (const char** p = ports; p && *p; ++p) names.push_back(*p);
    if (ports) jack_free(ports);
    return names;
  }
  unsigned n = client->getPortCount();
  for (unsigned i = 0; i < n; ++i) names.push_back(client->getPortName(i));
  return names;
}

// Lists the ports again unless the server has reported no change since the last listing.
template <typename Client>
static const PortListing& CurrentListing(Client* client, bool input) {
  PortListing& listing = input ? gInListing : gOutListing;
  const unsigned changes = gJackPortChanges.load();
  if (listing.made && gService == Service::kJack && gJackPortsReported && listing.changes == changes)
    return listing;
  listing.changes = changes;
  listing.names = ServicePortNames(client, input);
  listing.offered = OfferedPorts(listing.names, input);
  listing.made = true;
  return listing;
}

// The listing the last count made, the names and opens by index go by (made now when none was).
template <typename Client>
static const PortListing& LastListing(Client* client, bool input) {
  const PortListing& listing = input ? gInListing : gOutListing;
  return listing.made ? listing : CurrentListing(client, input);
}

// The name of the offered port of that index in the last listing, "" when there is none.
template <typename Client>
static std::string ListedName(Client* client, bool input, int index) {
  const PortListing& listing = LastListing(client, input);
  if (index < 0 || (size_t)index >= listing.offered.size()) return "";
  return listing.names[listing.offered[(size_t)index]];
}

// Where the port of that name stands in the service's list now (it moves when another one goes),
// -1 when it has gone.
template <typename Client>
static int ServicePortIndex(Client* client, bool input, const std::string& name) {
  std::vector<std::string> names = ServicePortNames(client, input);
  auto at = std::find(names.begin(), names.end(), name);
  return name.empty() || at == names.end() ? -1 : (int)(at - names.begin());
}

// The timed sender's target (its thread): one short message to the open port, now.
static void SendNow(uint32_t message) {
  unsigned char bytes[3] = {(unsigned char)(message & 0xFF), (unsigned char)((message >> 8) & 0xFF),
                            (unsigned char)((message >> 16) & 0xFF)};
  int length = MidiShortMessageLength(bytes[0]);
  if (length == 0) return;
  std::lock_guard<std::mutex> lock(gOutMutex);
  if (gOut && gOut->isPortOpen()) gOut->sendMessage(bytes, (size_t)length);
}

// A JACK output whose destination left (a synthesiser restarted, a piano replugged behind a bridge)
// keeps its own client but loses the connection; one whose server went away loses its client too.
// Either is connected again once the destination is listed again, so a song or preview that keeps
// the output open is heard again. Called from the rescan, not on every send: a failed open costs
// a client.
static void KeepJackOutputConnected() {
  if (!gOutJack || gService != Service::kJack) return;
  const bool open = JackMidiOutIsOpen();
  if (open && JackMidiOutConnectedTo(gOutJackDestination)) return;
  bool listed = false;
  {
    std::lock_guard<std::mutex> lock(gOutMutex);
    if (!gOut) return;
    const std::vector<std::string>& names = CurrentListing(gOut.get(), false).names;
    listed = std::find(names.begin(), names.end(), gOutJackDestination) != names.end();
  }
  if (!listed) return;
  if (open) JackMidiOutConnect(gOutJackDestination);
  else JackMidiOutOpen(gOutJackDestination);
}

// ---- public functions ----
int MidiPortClass(const std::string& name, bool input) {
  if (StartsWith(name, kClientName)) return -1;
  if (name.find("Midi Through") != std::string::npos) return input ? -1 : 1;
  int client = AlsaClientNumber(name);
  if (client >= 0) return client < 128 ? 0 : 1;  // ALSA gives kernel (device) clients 0..127
  if (StartsWith(name, "system:") || StartsWith(name, "a2j:") || StartsWith(name, "Midi-Bridge:")) return 0;
  return 1;
}

const char* MidiServiceName() {
  ChooseService();
  switch (gService) {
    case Service::kAlsa: return "ALSA";
    case Service::kJack: return "JACK";
    default: return "none";
  }
}

const char* MidiPortResultText(int result) {
  switch (result) {
    case kMidiPortOk: return "no error";
    case kMidiPortNoService: return "no MIDI service (neither the ALSA sequencer nor JACK)";
    case kMidiPortBadIndex: return "no such device";
    case kMidiPortBusy: return "the device is in use or refused the connection";
    default: return "unknown error";
  }
}

void MidiPortsShutdown() {
  MidiOutPortClose();
  ReleaseClients();
}

int MidiInPortCount() {
  ChooseService();
  KeepJackOutputConnected();
  return gIn ? (int)CurrentListing(gIn.get(), true).offered.size() : 0;
}

bool MidiInPortName(int index, std::string* name) {
  ChooseService();
  if (!gIn) return false;
  *name = ListedName(gIn.get(), true, index);
  return !name->empty();
}

int MidiInPortOpen(int index, void** handle) {
  *handle = nullptr;
  MidiInPortClose();
  ChooseService();
  RenewUsedInputClient();
  if (!gIn) return kMidiPortNoService;
  const std::string name = ListedName(gIn.get(), true, index);
  const int at = ServicePortIndex(gIn.get(), true, name);
  if (at < 0) return kMidiPortBadIndex;
  gOpenFailed.store(false);
  gIn->setCallback(InputCallback, nullptr);
  gInUsed = true;
  gIn->openPort((unsigned)at, "input");
  if (gOpenFailed.load() || !gIn->isPortOpen()) {
    gIn->cancelCallback();
    if (gIn->isPortOpen()) gIn->closePort();
    return kMidiPortBusy;
  }
  gInOpen = true;
  gInOpenName = name;
  *handle = gIn.get();
  return kMidiPortOk;
}

int MidiInPortStart() {
  if (!gInOpen) return kMidiPortBadIndex;
  gInStarted.store(true);
  return kMidiPortOk;
}

void MidiInPortClose() {
  if (!gInOpen) return;
  gInStarted.store(false);
  while (gInCallbacks.load() > 0) std::this_thread::yield();
  gIn->cancelCallback();
  gIn->closePort();
  gInOpen = false;
  gInOpenName.clear();
}

bool MidiInPortStillPresent() {
  ChooseService();  // closes the input when its server has gone
  KeepJackOutputConnected();
  if (!gInOpen) return false;
  const std::vector<std::string>& names = CurrentListing(gIn.get(), true).names;
  bool named = std::find(names.begin(), names.end(), gInOpenName) != names.end();
  if (!named || gService != Service::kJack) return named;
  return JackInputStillConnected();
}

int MidiOutPortCount() {
  ChooseService();
  std::lock_guard<std::mutex> lock(gOutMutex);
  return gOut ? (int)CurrentListing(gOut.get(), false).offered.size() : 0;
}

bool MidiOutPortName(int index, std::string* name) {
  ChooseService();
  std::lock_guard<std::mutex> lock(gOutMutex);
  if (!gOut) return false;
  *name = ListedName(gOut.get(), false, index);
  return !name->empty();
}

bool MidiOutPortOpen(int index) {
  MidiOutPortClose();
  ChooseService();
  std::lock_guard<std::mutex> lock(gOutMutex);
  if (!gOut) return false;
  const std::string name = ListedName(gOut.get(), false, index);
  if (name.empty()) return false;
  if (gService == Service::kJack) {
    gOutJackDestination = name;
    gOutJack = JackMidiOutOpen(gOutJackDestination);
    return gOutJack;
  }
  const int at = ServicePortIndex(gOut.get(), false, name);
  if (at < 0) return false;
  gOpenFailed.store(false);
  gOut->openPort((unsigned)at, "output");
  if (gOpenFailed.load() || !gOut->isPortOpen()) {
    if (gOut->isPortOpen()) gOut->closePort();
    return false;
  }
  TimedSenderSetTarget(SendNow);
  return true;
}

void MidiOutPortSend(uint32_t message) {
  if (gOutJack) JackMidiOutPost(message, 0);
  else TimedSenderPost(message, 0);
}

void MidiOutPortSendAt(uint32_t message, int64_t dueUs) {
  if (gOutJack) JackMidiOutPost(message, dueUs);
  else TimedSenderPost(message, dueUs);
}

void MidiOutPortCancelAfter(int64_t us) {
  if (gOutJack) JackMidiOutCancelAfter(us);
  else TimedSenderCancelAfter(us);
}

void MidiOutPortClose() {
  if (gOutJack) {
    JackMidiOutClose();
    gOutJack = false;
    return;
  }
  // What is due goes out; what is not would meet a closed port, or the next one.
  TimedSenderCancelAfter(ClockMicros64());
  TimedSenderFlush();
  {
    std::lock_guard<std::mutex> lock(gOutMutex);
    if (!gOut || !gOut->isPortOpen()) return;
  }
  std::lock_guard<std::mutex> lock(gOutMutex);
  gOut->closePort();
}

int MidiShortMessageLength(uint8_t status) {
  if (status < 0x80) return 0;
  switch (status & 0xF0) {
    case 0xC0:
    case 0xD0: return 2;
    case 0xF0:
      if (status == 0xF0 || status == 0xF7) return 0;  // system exclusive is not a short message
      if (status == 0xF1 || status == 0xF3) return 2;
      if (status == 0xF2) return 3;
      return 1;
    default: return 3;
  }
}
