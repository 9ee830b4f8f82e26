/* scripts/hold_keys: a JACK MIDI keyboard for scripts. Offers one MIDI output port ("keys:out");
 * each line "on" read from standard input presses ten keys (C E G B C D E F# G B around middle C)
 * and holds them, "off" lets them go; the program ends at the end of its input.
 * Built by scripts/view_cpu.py with: cc -O2 hold_keys.c -o hold_keys -ljack */
#include <jack/jack.h>
#include <jack/midiport.h>
#include <stdatomic.h>
#include <stdio.h>
#include <string.h>
#include <unistd.h>

static const unsigned char kNotes[10] = {48, 52, 55, 59, 60, 62, 64, 66, 67, 71};
static jack_port_t* gPort;
static atomic_int gPending; /* 0 nothing, 1 press, 2 release: written once, sent on the next cycle */

static int Process(jack_nframes_t frames, void* arg) {
  (void)arg;
  void* buffer = jack_port_get_buffer(gPort, frames);
  jack_midi_clear_buffer(buffer);
  int pending = atomic_exchange(&gPending, 0);
  for (int i = 0; pending && i < 10; ++i) {
    unsigned char message[3] = {(unsigned char)(pending == 1 ? 0x90 : 0x80), kNotes[i], pending == 1 ? 100 : 0};
    jack_midi_event_write(buffer, 0, message, 3);
  }
  return 0;
}

int main(void) {
  jack_client_t* client = jack_client_open("keys", JackNoStartServer, NULL);
  if (!client) {
    fprintf(stderr, "hold_keys: no JACK server\n");
    return 1;
  }
  gPort = jack_port_register(client, "out", JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput, 0);
  jack_set_process_callback(client, Process, NULL);
  if (!gPort || jack_activate(client) != 0) {
    fprintf(stderr, "hold_keys: cannot offer the port\n");
    return 1;
  }
  printf("ready\n");
  fflush(stdout);
  char line[64];
  while (fgets(line, sizeof line, stdin)) {
    if (strncmp(line, "on", 2) == 0) atomic_store(&gPending, 1);
    if (strncmp(line, "off", 3) == 0) atomic_store(&gPending, 2);
    while (atomic_load(&gPending) != 0) usleep(1000);
    printf("sent\n");
    fflush(stdout);
  }
  jack_client_close(client);
  return 0;
}
