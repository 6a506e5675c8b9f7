/* A weston module for the end-to-end tests: weston's headless backend has no input devices,
 * so it offers no seat, and a Wayland client then has no keyboard to be typed on. This module
 * gives the headless compositor one seat with a keyboard, and types on it the Linux key codes
 * (decimal, separated by white space) that the test writes into a FIFO:
 *
 *   mkfifo keys
 *   CYCLUNE_TEST_SEAT_KEYS=$PWD/keys weston --backend=headless-backend.so \
 *       --modules=/path/to/weston_test_seat.so &
 *   echo 108 >keys    # presses and releases KEY_DOWN in the focused window
 *
 * Built against libweston 10. The seat functions are libweston's own exports for its
 * backends; their declarations are in a header that the -dev package does not ship. */
#include <errno.h>
#include <fcntl.h>
#include <libweston/libweston.h>
#include <stdlib.h>
#include <string.h>
#include <time.h>
#include <unistd.h>
#include <wayland-server.h>

void weston_seat_init(struct weston_seat *seat, struct weston_compositor *compositor,
                      const char *seat_name);
int weston_seat_init_keyboard(struct weston_seat *seat, struct xkb_keymap *keymap);
void weston_seat_release(struct weston_seat *seat);
void notify_key(struct weston_seat *seat, const struct timespec *time, uint32_t key,
                enum wl_keyboard_key_state state, enum weston_key_state_update update_state);

struct test_seat {
  struct weston_seat seat;
  struct wl_event_source *source;
  struct wl_listener destroy_listener;
  int fd;
  char pending[64]; /* a key code split between two reads */
  size_t pending_length;
};

static void type_key(struct test_seat *test, unsigned long code) {
  struct timespec now;
  weston_compositor_get_time(&now);
  notify_key(&test->seat, &now, (uint32_t)code, WL_KEYBOARD_KEY_STATE_PRESSED,
             STATE_UPDATE_AUTOMATIC);
  notify_key(&test->seat, &now, (uint32_t)code, WL_KEYBOARD_KEY_STATE_RELEASED,
             STATE_UPDATE_AUTOMATIC);
}

/* Types every whole code in the bytes read; a code cut off at the end waits for the rest. */
static void type_codes(struct test_seat *test, const char *bytes, size_t length) {
  for (size_t i = 0; i < length; ++i) {
    const char c = bytes[i];
    if (c >= '0' && c <= '9' && test->pending_length + 1 < sizeof test->pending) {
      test->pending[test->pending_length++] = c;
      continue;
    }
    if (test->pending_length > 0) {
      test->pending[test->pending_length] = '\0';
      type_key(test, strtoul(test->pending, NULL, 10));
      test->pending_length = 0;
    }
  }
}

static int on_keys_readable(int fd, uint32_t mask, void *data) {
  struct test_seat *test = data;
  char bytes[256];
  ssize_t got;
  (void)mask;
  while ((got = read(fd, bytes, sizeof bytes)) > 0) type_codes(test, bytes, (size_t)got);
  return 0;
}

static void on_compositor_destroyed(struct wl_listener *listener, void *data) {
  struct test_seat *test = wl_container_of(listener, test, destroy_listener);
  (void)data;
  if (test->source != NULL) wl_event_source_remove(test->source);
  close(test->fd);
  weston_seat_release(&test->seat);
  free(test);
}

WL_EXPORT int wet_module_init(struct weston_compositor *compositor, int *argc, char *argv[]) {
  const char *path = getenv("CYCLUNE_TEST_SEAT_KEYS");
  struct test_seat *test;
  (void)argc;
  (void)argv;
  if (path == NULL || path[0] == '\0') {
    weston_log("weston_test_seat: CYCLUNE_TEST_SEAT_KEYS names no FIFO\n");
    return -1;
  }
  test = calloc(1, sizeof *test);
  if (test == NULL) return -1;
  /* Opened for writing too, so the FIFO never reads as ended between two writers. */
  test->fd = open(path, O_RDWR | O_NONBLOCK | O_CLOEXEC);
  if (test->fd < 0) {
    weston_log("weston_test_seat: cannot open %s: %s\n", path, strerror(errno));
    free(test);
    return -1;
  }
  weston_seat_init(&test->seat, compositor, "test-seat");
  if (weston_seat_init_keyboard(&test->seat, NULL) != 0) {
    weston_log("weston_test_seat: no keyboard (is xkb-data installed?)\n");
    weston_seat_release(&test->seat);
    close(test->fd);
    free(test);
    return -1;
  }
  test->source = wl_event_loop_add_fd(wl_display_get_event_loop(compositor->wl_display), test->fd,
                                      WL_EVENT_READABLE, on_keys_readable, test);
  weston_compositor_add_destroy_listener_once(compositor, &test->destroy_listener,
                                              on_compositor_destroyed);
  return 0;
}
