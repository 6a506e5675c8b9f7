"""Reads the X screen and talks to X windows for desktop_window_test.sh.

  desktop_window_probe.py colours X,Y [X,Y ...]   one "R G B" line per screen point
  desktop_window_probe.py client X Y W H          the client height of the Cyclune window at
                                                  X,Y of size WxH: the rows above its soft-key bar
  desktop_window_probe.py close WINDOW            asks WINDOW to close (WM_DELETE_WINDOW), as a
                                                  window manager's close button does
"""
import ctypes
import subprocess
import sys

BAR = (40, 40, 40)  # the soft-key bar's background


def screen():
    """The root window as (width, height, rgb bytes)."""
    data = subprocess.run(["import", "-window", "root", "-depth", "8", "ppm:-"], check=True,
                          stdout=subprocess.PIPE).stdout
    fields, at = [], 0
    while len(fields) < 4:  # P6, width, height, maximum value
        while data[at:at + 1].isspace():
            at += 1
        start = at
        while not data[at:at + 1].isspace():
            at += 1
        fields.append(data[start:at])
    at += 1
    if fields[0] != b"P6" or fields[3] != b"255":
        sys.exit("unexpected screen format")
    return int(fields[1]), int(fields[2]), data[at:]


def colour(shot, x, y):
    width, height, pixels = shot
    if not (0 <= x < width and 0 <= y < height):
        return (-1, -1, -1)
    at = (y * width + x) * 3
    return tuple(pixels[at:at + 3])


def colours(points):
    shot = screen()
    for point in points:
        x, y = (int(v) for v in point.split(","))
        print(*colour(shot, x, y))


def client_height(x, y, width, height):
    shot = screen()
    middle = x + width // 2
    row = y + height - 1
    while row >= y and colour(shot, middle, row) == BAR:
        row -= 1
    print(row + 1 - y)


def close(window):
    x11 = ctypes.CDLL("libX11.so.6")
    x11.XOpenDisplay.restype = ctypes.c_void_p
    x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
    x11.XInternAtom.restype = ctypes.c_ulong
    x11.XInternAtom.argtypes = [ctypes.c_void_p, ctypes.c_char_p, ctypes.c_int]

    class ClientMessage(ctypes.Structure):
        _fields_ = [("type", ctypes.c_int), ("serial", ctypes.c_ulong),
                    ("send_event", ctypes.c_int), ("display", ctypes.c_void_p),
                    ("window", ctypes.c_ulong), ("message_type", ctypes.c_ulong),
                    ("format", ctypes.c_int), ("data", ctypes.c_long * 5)]

    class Event(ctypes.Union):
        _fields_ = [("client", ClientMessage), ("pad", ctypes.c_long * 24)]

    x11.XSendEvent.argtypes = [ctypes.c_void_p, ctypes.c_ulong, ctypes.c_int, ctypes.c_long,
                               ctypes.POINTER(Event)]
    x11.XFlush.argtypes = [ctypes.c_void_p]
    x11.XCloseDisplay.argtypes = [ctypes.c_void_p]
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("cannot open the display")
    event = Event()
    event.client.type = 33  # ClientMessage
    event.client.window = window
    event.client.message_type = x11.XInternAtom(display, b"WM_PROTOCOLS", 0)
    event.client.format = 32
    event.client.data[0] = x11.XInternAtom(display, b"WM_DELETE_WINDOW", 0)
    x11.XSendEvent(display, window, 0, 0, ctypes.byref(event))
    x11.XFlush(display)
    x11.XCloseDisplay(display)


def main(arguments):
    command = arguments[0] if arguments else ""
    if command == "colours":
        colours(arguments[1:])
    elif command == "client" and len(arguments) == 5:
        client_height(*(int(v) for v in arguments[1:]))
    elif command == "close" and len(arguments) == 2:
        close(int(arguments[1]))
    else:
        sys.exit(__doc__)


if __name__ == "__main__":
    main(sys.argv[1:])
