#!/usr/bin/env python3
"""startup_probe.py PROGRAM PICTURE

Starts PROGRAM PICTURE on the X display in $DISPLAY and prints the seconds
from just before the start until the pixel in the middle of its window
named "Orvanto" turns the photo's red (red at least 60 above green and
blue), then, on the same line, the seconds until the whole picture is
decoded: the program's decode thread ("orvanto-decode") has ended, or at
once when the picture showed without one. Then it ends the program. One small X request per look, every 2 ms,
straight through libX11: starting ImageMagick's import for each look costs
about a tenth of a second, which the old loop counted against the program.
"""
import ctypes
import ctypes.util
import os
import subprocess
import sys
import time

x11 = ctypes.CDLL(ctypes.util.find_library("X11") or "libX11.so.6")
Window = ctypes.c_ulong
x11.XOpenDisplay.restype = ctypes.c_void_p
x11.XOpenDisplay.argtypes = [ctypes.c_char_p]
x11.XDefaultRootWindow.restype = Window
x11.XDefaultRootWindow.argtypes = [ctypes.c_void_p]
x11.XQueryTree.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(Window), ctypes.POINTER(Window),
                           ctypes.POINTER(ctypes.POINTER(Window)), ctypes.POINTER(ctypes.c_uint)]
x11.XFetchName.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(ctypes.POINTER(ctypes.c_char))]
x11.XFree.argtypes = [ctypes.c_void_p]
x11.XGetImage.restype = ctypes.c_void_p
x11.XGetImage.argtypes = [ctypes.c_void_p, Window, ctypes.c_int, ctypes.c_int, ctypes.c_uint, ctypes.c_uint,
                          ctypes.c_ulong, ctypes.c_int]
x11.XGetPixel.restype = ctypes.c_ulong
x11.XGetPixel.argtypes = [ctypes.c_void_p, ctypes.c_int, ctypes.c_int]
x11.XSetErrorHandler.argtypes = [ctypes.c_void_p]
x11.XSync.argtypes = [ctypes.c_void_p, ctypes.c_int]


class XWindowAttributes(ctypes.Structure):
    _fields_ = [("x", ctypes.c_int), ("y", ctypes.c_int), ("width", ctypes.c_int), ("height", ctypes.c_int),
                ("border_width", ctypes.c_int), ("depth", ctypes.c_int), ("visual", ctypes.c_void_p),
                ("root", Window), ("c_class", ctypes.c_int), ("bit_gravity", ctypes.c_int),
                ("win_gravity", ctypes.c_int), ("backing_store", ctypes.c_int),
                ("backing_planes", ctypes.c_ulong), ("backing_pixel", ctypes.c_ulong),
                ("save_under", ctypes.c_int), ("colormaps", ctypes.c_ulong), ("map_installed", ctypes.c_int),
                ("map_state", ctypes.c_int), ("all_event_masks", ctypes.c_long),
                ("your_event_mask", ctypes.c_long), ("do_not_propagate_mask", ctypes.c_long),
                ("override_redirect", ctypes.c_int), ("screen", ctypes.c_void_p)]


x11.XGetWindowAttributes.argtypes = [ctypes.c_void_p, Window, ctypes.POINTER(XWindowAttributes)]

IsViewable, ZPixmap, AllPlanes = 2, 2, 0xFFFFFFFF
# A window that goes away between two requests must not end the probe.
ERROR_HANDLER = ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p, ctypes.c_void_p)(lambda d, e: 0)


def children(display, window):
    root, parent = Window(), Window()
    kids = ctypes.POINTER(Window)()
    count = ctypes.c_uint()
    if not x11.XQueryTree(display, window, ctypes.byref(root), ctypes.byref(parent), ctypes.byref(kids),
                          ctypes.byref(count)):
        return []
    found = [kids[i] for i in range(count.value)]
    if kids:
        x11.XFree(kids)
    return found


def find_window(display, window, depth=0):
    """The viewable window named Orvanto, searched among the top-level windows and their children."""
    for child in children(display, window):
        name = ctypes.POINTER(ctypes.c_char)()
        title = None
        if x11.XFetchName(display, child, ctypes.byref(name)) and name:
            title = ctypes.string_at(name)
            x11.XFree(name)
        if title == b"Orvanto":
            attributes = XWindowAttributes()
            if x11.XGetWindowAttributes(display, child, ctypes.byref(attributes)) \
                    and attributes.map_state == IsViewable:
                return child, attributes
        if depth < 1:
            hit = find_window(display, child, depth + 1)
            if hit:
                return hit
    return None


class XImageHead(ctypes.Structure):
    # The leading fields up to the function table, whose destroy entry comes first.
    _fields_ = [("width", ctypes.c_int), ("height", ctypes.c_int), ("xoffset", ctypes.c_int),
                ("format", ctypes.c_int), ("data", ctypes.c_void_p), ("byte_order", ctypes.c_int),
                ("bitmap_unit", ctypes.c_int), ("bitmap_bit_order", ctypes.c_int), ("bitmap_pad", ctypes.c_int),
                ("depth", ctypes.c_int), ("bytes_per_line", ctypes.c_int), ("bits_per_pixel", ctypes.c_int),
                ("red_mask", ctypes.c_ulong), ("green_mask", ctypes.c_ulong), ("blue_mask", ctypes.c_ulong),
                ("obdata", ctypes.c_void_p), ("destroy_image", ctypes.CFUNCTYPE(ctypes.c_int, ctypes.c_void_p))]


def middle_is_red(display, window, attributes):
    image = x11.XGetImage(display, window, attributes.width // 2, attributes.height // 2, 1, 1, AllPlanes, ZPixmap)
    if not image:
        return False
    pixel = x11.XGetPixel(image, 0, 0)
    head = ctypes.cast(image, ctypes.POINTER(XImageHead)).contents
    head.destroy_image(image)
    red, green, blue = (pixel >> 16) & 0xFF, (pixel >> 8) & 0xFF, pixel & 0xFF
    return red > green + 60 and red > blue + 60


def decoding(pid):
    """True while the program's decode thread runs."""
    try:
        tasks = os.listdir(f"/proc/{pid}/task")
    except OSError:
        return False
    for task in tasks:
        try:
            with open(f"/proc/{pid}/task/{task}/comm") as comm:
                if comm.read().strip() == "orvanto-decode":
                    return True
        except OSError:
            pass
    return False


def main():
    display = x11.XOpenDisplay(None)
    if not display:
        sys.exit("no X display")
    x11.XSetErrorHandler(ctypes.cast(ERROR_HANDLER, ctypes.c_void_p))
    root = x11.XDefaultRootWindow(display)
    start = time.monotonic()
    program = subprocess.Popen(sys.argv[1:])
    try:
        while True:
            hit = find_window(display, root)
            if hit and middle_is_red(display, *hit):
                break
            if program.poll() is not None:
                sys.exit("orvanto ended early")
            time.sleep(0.002)
        painted = time.monotonic() - start
        while decoding(program.pid) and program.poll() is None:
            time.sleep(0.002)
        print(f"{painted:.4f} {time.monotonic() - start:.4f}")
    finally:
        if program.poll() is None:
            program.terminate()
            program.wait()


if __name__ == "__main__":
    main()
