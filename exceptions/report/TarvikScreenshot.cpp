#include "exceptions/report/TarvikScreenshot.h"

#include <X11/Xlib.h>
#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <X11/extensions/Xfixes.h>
#include <dlfcn.h>

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <mutex>
#include <vector>

#include "exceptions/base/TarvikTrace.h"
#include "platform/classes/ScopeGuard.h"

namespace {
// The few X calls the capture needs, found at run time.
struct TXLib {
  void* X11 = nullptr;
  void* Fixes = nullptr;
  Display* (*OpenDisplay)(const char*) = nullptr;
  int (*CloseDisplay)(Display*) = nullptr;
  Window (*RootOf)(Display*) = nullptr;
  Status (*GetWindowAttributes)(Display*, Window, XWindowAttributes*) = nullptr;
  XImage* (*GetImage)(Display*, Drawable, int, int, unsigned, unsigned, unsigned long, int) = nullptr;
  int (*Free)(void*) = nullptr;
  XErrorHandler (*SetErrorHandler)(XErrorHandler) = nullptr;
  int (*Sync)(Display*, Bool) = nullptr;
  Status (*QueryTree)(Display*, Window, Window*, Window*, Window**, unsigned*) = nullptr;
  Atom (*InternAtom)(Display*, const char*, Bool) = nullptr;
  int (*GetProperty)(Display*, Window, Atom, long, long, Bool, Atom, Atom*, int*, unsigned long*, unsigned long*,
                     unsigned char**) = nullptr;
  Bool (*FixesQuery)(Display*, int*, int*) = nullptr;
  XFixesCursorImage* (*FixesCursor)(Display*) = nullptr;
};

template <class F>
bool Bind(void* Lib, const char* Name, F& Slot) {
  Slot = reinterpret_cast<F>(dlsym(Lib, Name));
  return Slot != nullptr;
}

// Loaded once, never unloaded (a library may keep per-process state).
const TXLib* XLib() {
  static const TXLib* Lib = [] () -> const TXLib* {
    static TXLib L;
    L.X11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!L.X11) return nullptr;
    bool Ok = Bind(L.X11, "XOpenDisplay", L.OpenDisplay) && Bind(L.X11, "XCloseDisplay", L.CloseDisplay) &&
              Bind(L.X11, "XDefaultRootWindow", L.RootOf) &&
              Bind(L.X11, "XGetWindowAttributes", L.GetWindowAttributes) && Bind(L.X11, "XGetImage", L.GetImage) &&
              Bind(L.X11, "XFree", L.Free) && Bind(L.X11, "XSetErrorHandler", L.SetErrorHandler) &&
              Bind(L.X11, "XSync", L.Sync) && Bind(L.X11, "XQueryTree", L.QueryTree) &&
              Bind(L.X11, "XInternAtom", L.InternAtom) && Bind(L.X11, "XGetWindowProperty", L.GetProperty);
    if (!Ok) return nullptr;
    // The cursor is a bonus: without XFixes the picture has none.
    L.Fixes = dlopen("libXfixes.so.3", RTLD_NOW | RTLD_LOCAL);
    if (L.Fixes && !(Bind(L.Fixes, "XFixesQueryExtension", L.FixesQuery) &&
                     Bind(L.Fixes, "XFixesGetCursorImage", L.FixesCursor)))
      L.FixesQuery = nullptr;
    return &L;
  }();
  return Lib;
}

// X errors would end the process through Xlib's default handler: count them instead. The handler
// is process-wide, so captures run one at a time.
std::mutex CaptureLock;
int XErrors = 0;
int CountXError(Display*, XErrorEvent*) {
  ++XErrors;
  return 0;
}

int MaskShift(unsigned long Mask) {
  int S = 0;
  while (Mask && !(Mask & 1)) {
    Mask >>= 1;
    ++S;
  }
  return S;
}

int MaskBits(unsigned long Mask) {
  int N = 0;
  for (; Mask; Mask >>= 1) N += Mask & 1;
  return N;
}

// A channel of Pixel scaled to 0..255.
inline uint32_t Channel(unsigned long Pixel, unsigned long Mask, int Shift, int Bits) {
  if (!Bits) return 0;
  unsigned long V = (Pixel & Mask) >> Shift;
  unsigned long Max = (1ul << Bits) - 1;
  return static_cast<uint32_t>((V * 255 + Max / 2) / Max);
}

// The image as 0x00RRGGBB, any true-colour depth the server hands out.
bool ToRgb(XImage* I, std::vector<uint32_t>& Out) {
  if (!I->red_mask || !I->green_mask || !I->blue_mask) return false;  // a palette visual
  const int W = I->width, H = I->height;
  Out.resize(static_cast<size_t>(W) * H);
  if (I->bits_per_pixel == 32 && I->red_mask == 0xFF0000 && I->green_mask == 0xFF00 && I->blue_mask == 0xFF &&
      I->byte_order == LSBFirst) {
    for (int Y = 0; Y < H; ++Y) {
      const auto* Row = reinterpret_cast<const uint32_t*>(I->data + static_cast<size_t>(Y) * I->bytes_per_line);
      uint32_t* Dst = Out.data() + static_cast<size_t>(Y) * W;
      for (int X = 0; X < W; ++X) Dst[X] = Row[X] & 0xFFFFFF;
    }
    return true;
  }
  const int RS = MaskShift(I->red_mask), GS = MaskShift(I->green_mask), BS = MaskShift(I->blue_mask);
  const int RB = MaskBits(I->red_mask), GB = MaskBits(I->green_mask), BB = MaskBits(I->blue_mask);
  for (int Y = 0; Y < H; ++Y)
    for (int X = 0; X < W; ++X) {
      unsigned long P = I->f.get_pixel(I, X, Y);
      Out[static_cast<size_t>(Y) * W + X] = Channel(P, I->red_mask, RS, RB) << 16 |
                                            Channel(P, I->green_mask, GS, GB) << 8 |
                                            Channel(P, I->blue_mask, BS, BB);
    }
  return true;
}

// Blends the cursor (premultiplied ARGB) onto the picture at its place on the screen.
void DrawCursor(const XFixesCursorImage& C, int W, int H, std::vector<uint32_t>& Rgb) {
  const int Left = C.x - C.xhot, Top = C.y - C.yhot;
  for (int CY = 0; CY < C.height; ++CY) {
    int Y = Top + CY;
    if (Y < 0 || Y >= H) continue;
    for (int CX = 0; CX < C.width; ++CX) {
      int X = Left + CX;
      if (X < 0 || X >= W) continue;
      auto P = static_cast<uint32_t>(C.pixels[static_cast<size_t>(CY) * C.width + CX]);
      uint32_t A = P >> 24;
      if (!A) continue;
      uint32_t& D = Rgb[static_cast<size_t>(Y) * W + X];
      uint32_t R = 0;
      for (int S = 0; S <= 16; S += 8) {
        uint32_t Src = P >> S & 0xFF, Dst = D >> S & 0xFF;
        uint32_t V = Src + (Dst * (255 - A) + 127) / 255;
        R |= (V > 255 ? 255 : V) << S;
      }
      D = R;
    }
  }
}
}  // namespace

namespace {
// A top-level window on the screen, in the stacking order (lowest first).
struct TTopLevel {
  int X, Y, W, H;
  bool Own;
};

// The process id a window says it belongs to (_NET_WM_PID), 0 when it says none.
long WindowPid(const TXLib* L, Display* D, Window Win, Atom PidAtom) {
  Atom Type = 0;
  int Format = 0;
  unsigned long Count = 0, After = 0;
  unsigned char* Data = nullptr;
  long Pid = 0;
  if (L->GetProperty(D, Win, PidAtom, 0, 1, False, XA_CARDINAL, &Type, &Format, &Count, &After, &Data) == Success &&
      Data && Format == 32 && Count == 1)
    Pid = *reinterpret_cast<long*>(Data);
  if (Data) L->Free(Data);
  return Pid;
}

// Whether a top-level window, or the client window a window manager framed in it, is this
// process's.
bool IsOwnWindow(const TXLib* L, Display* D, Window Win, Atom PidAtom) {
  long Me = ::getpid();
  if (WindowPid(L, D, Win, PidAtom) == Me) return true;
  Window Root = 0, Parent = 0, *Children = nullptr;
  unsigned Count = 0;
  bool Own = false;
  if (L->QueryTree(D, Win, &Root, &Parent, &Children, &Count))
    for (unsigned I = 0; I < Count && !Own; ++I) Own = WindowPid(L, D, Children[I], PidAtom) == Me;
  if (Children) L->Free(Children);
  return Own;
}

std::vector<TTopLevel> TopLevels(const TXLib* L, Display* D, Window Root) {
  std::vector<TTopLevel> R;
  Atom PidAtom = L->InternAtom(D, "_NET_WM_PID", True);
  Window RootOut = 0, Parent = 0, *Children = nullptr;
  unsigned Count = 0;
  if (!L->QueryTree(D, Root, &RootOut, &Parent, &Children, &Count)) return R;
  for (unsigned I = 0; I < Count; ++I) {
    XWindowAttributes A{};
    if (!L->GetWindowAttributes(D, Children[I], &A) || A.map_state != IsViewable || A.c_class == InputOnly) continue;
    R.push_back({A.x, A.y, A.width + 2 * A.border_width, A.height + 2 * A.border_width,
                 PidAtom != 0 && IsOwnWindow(L, D, Children[I], PidAtom)});
  }
  if (Children) L->Free(Children);
  return R;
}
}  // namespace

TOwnArea OwnVisibleArea(const std::vector<TScreenWindow>& Windows, int ScreenW, int ScreenH) {
  TOwnArea A;
  std::vector<uint8_t> Mask(static_cast<size_t>(ScreenW) * ScreenH, 0);
  // Painted from the lowest window up: a window of another program hides what is below it.
  for (const TScreenWindow& W : Windows) {
    int X0 = std::max(W.X, 0), Y0 = std::max(W.Y, 0);
    int X1 = std::min(W.X + W.Width, ScreenW), Y1 = std::min(W.Y + W.Height, ScreenH);
    for (int Y = Y0; Y < Y1; ++Y)
      std::fill(Mask.begin() + static_cast<ptrdiff_t>(Y) * ScreenW + X0,
                Mask.begin() + static_cast<ptrdiff_t>(Y) * ScreenW + X1, W.Own ? 1 : 0);
  }
  int MinX = ScreenW, MinY = ScreenH, MaxX = -1, MaxY = -1;
  for (int Y = 0; Y < ScreenH; ++Y)
    for (int X = 0; X < ScreenW; ++X)
      if (Mask[static_cast<size_t>(Y) * ScreenW + X]) {
        MinX = std::min(MinX, X), MaxX = std::max(MaxX, X);
        MinY = std::min(MinY, Y), MaxY = std::max(MaxY, Y);
      }
  if (MaxX < 0) return A;
  A.X = MinX, A.Y = MinY, A.Width = MaxX - MinX + 1, A.Height = MaxY - MinY + 1;
  A.Mask.resize(static_cast<size_t>(A.Width) * A.Height);
  for (int Y = 0; Y < A.Height; ++Y)
    std::copy_n(Mask.begin() + static_cast<ptrdiff_t>(Y + A.Y) * ScreenW + A.X, A.Width,
                A.Mask.begin() + static_cast<ptrdiff_t>(Y) * A.Width);
  return A;
}

std::optional<TPalettedImage> CaptureScreen() {
  const char* Name = std::getenv("DISPLAY");
  if (!Name || !*Name) {
    TraceEntry("Screenshot: no X11 display");
    return std::nullopt;
  }
  const TXLib* L = XLib();
  if (!L) {
    TraceEntry("Screenshot: the X11 library is missing");
    return std::nullopt;
  }
  std::lock_guard<std::mutex> Guard(CaptureLock);
  Display* D = L->OpenDisplay(Name);
  if (!D) {
    TraceEntry("Screenshot: cannot open the X11 display", {std::string(Name)});
    return std::nullopt;
  }
  TFinally Close([L, D] { L->CloseDisplay(D); });
  XErrors = 0;
  XErrorHandler Old = L->SetErrorHandler(CountXError);
  TFinally Restore([L, Old] { L->SetErrorHandler(Old); });

  Window Root = L->RootOf(D);
  XWindowAttributes A{};
  if (!L->GetWindowAttributes(D, Root, &A) || A.width <= 0 || A.height <= 0) {
    TraceEntry("Screenshot: the root window has no size");
    return std::nullopt;
  }
  // Only what the program itself shows: its own windows, less what other programs' windows hide.
  std::vector<TScreenWindow> Windows;
  for (const TTopLevel& T : TopLevels(L, D, Root)) Windows.push_back({T.X, T.Y, T.W, T.H, T.Own});
  TOwnArea Area = OwnVisibleArea(Windows, A.width, A.height);
  if (Area.Width == 0) {
    TraceEntry("Screenshot: the program shows no window");
    return std::nullopt;
  }
  XImage* Image = L->GetImage(D, Root, Area.X, Area.Y, static_cast<unsigned>(Area.Width),
                              static_cast<unsigned>(Area.Height), AllPlanes, ZPixmap);
  L->Sync(D, False);
  if (!Image || XErrors) {
    if (Image) Image->f.destroy_image(Image);
    TraceEntry("Screenshot: the screen cannot be read");
    return std::nullopt;
  }
  std::vector<uint32_t> Rgb;
  bool Converted = ToRgb(Image, Rgb);
  const int W = Image->width, H = Image->height;
  Image->f.destroy_image(Image);
  if (!Converted) {
    TraceEntry("Screenshot: the screen is not true colour");
    return std::nullopt;
  }
  int Event = 0, Error = 0;
  if (L->FixesQuery && L->FixesQuery(D, &Event, &Error)) {
    if (XFixesCursorImage* C = L->FixesCursor(D)) {
      C->x = static_cast<short>(C->x - Area.X);
      C->y = static_cast<short>(C->y - Area.Y);
      DrawCursor(*C, W, H, Rgb);
      L->Free(C);
    }
  }
  for (size_t I = 0; I < Rgb.size() && I < Area.Mask.size(); ++I)
    if (!Area.Mask[I]) Rgb[I] = HiddenColour;
  return QuantizeToScreenPalette(Rgb.data(), W, H, static_cast<size_t>(W));
}

void PrepareScreenshot() { XLib(); }

void WriteScreenshot(const std::string& Path) {
  if (Path.empty()) return;
  std::optional<TPalettedImage> Image = CaptureScreen();
  if (!Image) return;
  WritePngFile(Path, *Image);
}
