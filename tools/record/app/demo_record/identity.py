"""What a piece was drawn with, beyond its options: the build of demo-capture
(a hash of the program), the data (a hash of every file of the data folder,
names and contents) and the GL renderer. Pieces of another build or other data
are not frames of the same recording; another renderer may draw other frames.
Each node works these out for itself."""
import ctypes
import hashlib
import os

_known = {}


def file_hash(path, h):
    with open(path, "rb") as f:
        for block in iter(lambda: f.read(1 << 20), b""):
            h.update(block)


def build_of(capture):
    h = hashlib.sha256()
    try:
        file_hash(capture, h)
    except OSError as e:
        return "unreadable (%s)" % e.strerror
    return h.hexdigest()[:16]


def data_of(folder):
    h = hashlib.sha256()
    try:
        for top, dirs, files in os.walk(folder):
            dirs.sort()
            for name in sorted(files):
                path = os.path.join(top, name)
                h.update(os.path.relpath(path, folder).encode() + b"\0")
                file_hash(path, h)
    except OSError as e:
        return "unreadable (%s)" % e.strerror
    return h.hexdigest()[:16]


def renderer():
    """The GL renderer this machine's EGL gives, as demo-capture's offscreen
    window asks for it (Mesa's surfaceless platform, else the default display)."""
    try:
        egl = ctypes.CDLL("libEGL.so.1")
        gl = ctypes.CDLL("libOpenGL.so.0")
        p = ctypes.c_void_p
        egl.eglGetProcAddress.restype = p
        egl.eglGetProcAddress.argtypes = [ctypes.c_char_p]
        egl.eglGetDisplay.restype = p
        egl.eglGetDisplay.argtypes = [p]
        egl.eglInitialize.argtypes = [p, p, p]
        egl.eglCreateContext.restype = p
        egl.eglCreateContext.argtypes = [p, p, p, p]
        egl.eglMakeCurrent.argtypes = [p, p, p, p]
        egl.eglDestroyContext.argtypes = [p, p]
        egl.eglTerminate.argtypes = [p]
        gl.glGetString.restype = ctypes.c_char_p
        displays = []
        address = egl.eglGetProcAddress(b"eglGetPlatformDisplayEXT")
        if address:
            platform = ctypes.CFUNCTYPE(p, ctypes.c_uint, p, p)(address)
            displays.append(platform(0x31DD, None, None))  # EGL_PLATFORM_SURFACELESS_MESA
        displays.append(egl.eglGetDisplay(None))
        for display in displays:
            if not display or not egl.eglInitialize(display, None, None):
                continue
            egl.eglBindAPI(0x30A2)  # EGL_OPENGL_API
            context = egl.eglCreateContext(display, None, None, None)
            if context and egl.eglMakeCurrent(display, None, None, context):
                name = gl.glGetString(0x1F01)  # GL_RENDERER
                egl.eglMakeCurrent(display, None, None, None)
                egl.eglDestroyContext(display, context)
                egl.eglTerminate(display)
                if name:
                    return name.decode(errors="replace")
            egl.eglTerminate(display)
    except (OSError, AttributeError, ctypes.ArgumentError):
        pass
    return "unknown"


def of(capture, data):
    """{"build", "data", "renderer"} of this machine, worked out once a process."""
    folder = data or os.path.join(os.path.dirname(capture), "data")
    key = (capture, folder)
    if key not in _known:
        _known[key] = {"build": build_of(capture), "data": data_of(folder), "renderer": renderer()}
    return _known[key]


def differs(expected, found):
    """What differs between the identity the recording was planned with and a
    piece's, in words that follow the piece's label; None when nothing does."""
    if not expected:
        return None
    if found.get("build") != expected.get("build"):
        return ("was drawn by another build of demo-capture (%s, not %s)"
                % (found.get("build"), expected.get("build")))
    if found.get("data") != expected.get("data"):
        return "was drawn from other data (%s, not %s)" % (found.get("data"), expected.get("data"))
    return None
