// The subset of KERNEL32 and the Microsoft C runtime that this system calls,
// over POSIX. Names and meanings are those of the real platform; the code is
// ours. Wide characters are the compiler's wchar_t (UTF-32 here) and the ANSI
// code page is UTF-8.
#pragma once

#include <cstdarg>
#include <cstddef>
#include <cstdint>

using BOOL = int;
using BYTE = uint8_t;
using WORD = uint16_t;
using DWORD = uint32_t;
using LONG = int32_t;
using UINT = unsigned int;
using WCHAR = wchar_t;
using LPSTR = char*;
using LPCSTR = const char*;
using LPWSTR = wchar_t*;
using LPCWSTR = const wchar_t*;
using LPBOOL = BOOL*;
using HANDLE = void*;
using SHORT = int16_t;

constexpr BOOL TRUE = 1;
constexpr BOOL FALSE = 0;
inline HANDLE const INVALID_HANDLE_VALUE = reinterpret_cast<HANDLE>(static_cast<intptr_t>(-1));

// Error codes (GetLastError).
enum : DWORD {
    ERROR_SUCCESS = 0,
    ERROR_FILE_NOT_FOUND = 2,
    ERROR_PATH_NOT_FOUND = 3,
    ERROR_TOO_MANY_OPEN_FILES = 4,
    ERROR_ACCESS_DENIED = 5,
    ERROR_INVALID_HANDLE = 6,
    ERROR_NOT_ENOUGH_MEMORY = 8,
    ERROR_WRITE_PROTECT = 19,
    ERROR_SEEK = 25,
    ERROR_WRITE_FAULT = 29,
    ERROR_READ_FAULT = 30,
    ERROR_SHARING_VIOLATION = 32,
    ERROR_HANDLE_EOF = 38,
    ERROR_FILE_EXISTS = 80,
    ERROR_INVALID_PARAMETER = 87,
    ERROR_DISK_FULL = 112,
    ERROR_INSUFFICIENT_BUFFER = 122,
    ERROR_INVALID_NAME = 123,
    ERROR_NEGATIVE_SEEK = 131,
    ERROR_ALREADY_EXISTS = 183,
    ERROR_FILENAME_EXCED_RANGE = 206,
    ERROR_FILE_TOO_LARGE = 223,
    ERROR_NO_UNICODE_TRANSLATION = 1113,
};

DWORD GetLastError();
void SetLastError(DWORD error);
// The Win32 error code for a POSIX errno value.
DWORD Win32ErrorFromErrno(int err);

// Code pages: CP_ACP is UTF-8 on this platform.
enum : UINT { CP_ACP = 0, CP_UTF8 = 65001 };
enum : DWORD {
    MB_PRECOMPOSED = 0x1,
    MB_ERR_INVALID_CHARS = 0x8,
    WC_COMPOSITECHECK = 0x200,
    WC_SEPCHARS = 0x20,
};
// Counts of -1 include the terminator. A destination size of 0 asks for the
// size needed. Returns 0 on failure (ERROR_INSUFFICIENT_BUFFER when the
// result does not fit).
int MultiByteToWideChar(UINT codePage, DWORD flags, LPCSTR src, int srcBytes, LPWSTR dst, int dstChars);
int WideCharToMultiByte(UINT codePage, DWORD flags, LPCWSTR src, int srcChars, LPSTR dst, int dstBytes,
                        LPCSTR defaultChar, LPBOOL usedDefaultChar);

// Console: a terminal counts as a console; colours become ANSI sequences.
enum : DWORD { STD_INPUT_HANDLE = static_cast<DWORD>(-10), STD_OUTPUT_HANDLE = static_cast<DWORD>(-11),
               STD_ERROR_HANDLE = static_cast<DWORD>(-12) };
struct COORD { SHORT X; SHORT Y; };
struct SMALL_RECT { SHORT Left; SHORT Top; SHORT Right; SHORT Bottom; };
struct CONSOLE_SCREEN_BUFFER_INFO {
    COORD dwSize;
    COORD dwCursorPosition;
    WORD wAttributes;
    SMALL_RECT srWindow;
    COORD dwMaximumWindowSize;
};
HANDLE GetStdHandle(DWORD which);
BOOL GetConsoleScreenBufferInfo(HANDLE console, CONSOLE_SCREEN_BUFFER_INFO* info);
BOOL SetConsoleTextAttribute(HANDLE console, WORD attributes);

// Debugging: a tracer attached to the process counts as a debugger.
BOOL IsDebuggerPresent();
void DebugBreak();

// Microsoft C runtime: _vsnprintf returns -1 when the text does not fit, and
// then leaves the buffer unterminated.
int _vsnprintf(char* buffer, size_t count, const char* format, va_list args);

// ---------------------------------------------------------------------------
// Files (win32_file.cpp). Paths are taken as the real platform takes them:
// '\\' and '/' both separate components, so "\\tmp\\a.pdf" names /tmp/a.pdf.
// Handles are entries of a table of our own, never raw descriptors. Share
// modes are accepted and not enforced: POSIX has no mandatory sharing. Only
// regular files open: a folder, FIFO, socket or device is refused (access
// denied, EACCES), and never blocks the caller.

constexpr DWORD MAX_PATH = 260;

using LPVOID = void*;
using LPCVOID = const void*;
using LPDWORD = DWORD*;
using PLONG = LONG*;
struct OVERLAPPED;
using LPOVERLAPPED = OVERLAPPED*;
struct SECURITY_ATTRIBUTES;
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

enum : DWORD {
    ERROR_ENVVAR_NOT_FOUND = 203,
    ERROR_DIRECTORY = 267,
    ERROR_MR_MID_NOT_FOUND = 317,
};

enum : DWORD {
    GENERIC_READ = 0x80000000u,
    GENERIC_WRITE = 0x40000000u,
    FILE_SHARE_READ = 0x1,
    FILE_SHARE_WRITE = 0x2,
    FILE_SHARE_DELETE = 0x4,
};

// Creation dispositions. CREATE_ALWAYS and OPEN_ALWAYS succeed on an existing
// file and then leave ERROR_ALREADY_EXISTS as the last error; through a link
// to a missing file they make the file where the link points.
enum : DWORD {
    CREATE_NEW = 1,
    CREATE_ALWAYS = 2,
    OPEN_EXISTING = 3,
    OPEN_ALWAYS = 4,
    TRUNCATE_EXISTING = 5,
};

enum : DWORD {
    FILE_ATTRIBUTE_READONLY = 0x1,
    FILE_ATTRIBUTE_DIRECTORY = 0x10,
    FILE_ATTRIBUTE_ARCHIVE = 0x20,
    FILE_ATTRIBUTE_NORMAL = 0x80,
    FILE_ATTRIBUTE_REPARSE_POINT = 0x400,
};

enum : DWORD { FILE_BEGIN = 0, FILE_CURRENT = 1, FILE_END = 2 };
constexpr DWORD INVALID_SET_FILE_POINTER = 0xFFFFFFFFu;
constexpr DWORD INVALID_FILE_SIZE = 0xFFFFFFFFu;

HANDLE CreateFileA(LPCSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// The path in the ANSI code page (UTF-8), then as CreateFileA.
HANDLE CreateFileW(LPCWSTR path, DWORD desiredAccess, DWORD shareMode, LPSECURITY_ATTRIBUTES security,
                   DWORD creationDisposition, DWORD flagsAndAttributes, HANDLE templateFile);
// Synchronous only: overlapped must be null. Reading at the end of the file
// succeeds with a count of 0.
BOOL ReadFile(HANDLE file, LPVOID buffer, DWORD toRead, LPDWORD read, LPOVERLAPPED overlapped);
BOOL WriteFile(HANDLE file, LPCVOID buffer, DWORD toWrite, LPDWORD written, LPOVERLAPPED overlapped);
// Returns the low word of the new position, INVALID_SET_FILE_POINTER with the
// last error set on failure. With no high word the distance is signed 32-bit
// and a position that does not fit in 32 bits fails.
DWORD SetFilePointer(HANDLE file, LONG distance, PLONG distanceHigh, DWORD moveMethod);
// Cuts or extends the file at the current position.
BOOL SetEndOfFile(HANDLE file);
DWORD GetFileSize(HANDLE file, LPDWORD sizeHigh);
BOOL CloseHandle(HANDLE object);
BOOL DeleteFileA(LPCSTR path);
// Waits until what was written through a writable handle is on the disk.
BOOL FlushFileBuffers(HANDLE file);

constexpr DWORD INVALID_FILE_ATTRIBUTES = 0xFFFFFFFFu;
// FILE_ATTRIBUTE_DIRECTORY for a folder, FILE_ATTRIBUTE_NORMAL for anything
// else that exists; INVALID_FILE_ATTRIBUTES with the last error when nothing
// does. A symbolic link is described itself, as FILE_ATTRIBUTE_REPARSE_POINT
// (with FILE_ATTRIBUTE_DIRECTORY when it names a folder), even when what it
// names is missing.
DWORD GetFileAttributesA(LPCSTR path);

enum : DWORD { MOVEFILE_REPLACE_EXISTING = 0x1, MOVEFILE_WRITE_THROUGH = 0x8 };
// Renames a file. With MOVEFILE_REPLACE_EXISTING an existing file of the new
// name is replaced in one step (a reader finds the old file or the new one,
// never neither), a folder never (ERROR_ACCESS_DENIED); without it an
// existing name fails with ERROR_ALREADY_EXISTS. MOVEFILE_WRITE_THROUGH
// returns once the rename is on the disk, where the file system can tell.
// Other flags: ERROR_INVALID_PARAMETER.
BOOL MoveFileExA(LPCSTR existing, LPCSTR newName, DWORD flags);

enum : DWORD { REPLACEFILE_WRITE_THROUGH = 0x1 };
// Renames replacement over replaced in one step, the new file taking the
// replaced one's permissions (its mode). replaced must be a file: missing,
// ERROR_FILE_NOT_FOUND; a link or a folder, ERROR_ACCESS_DENIED. backup must
// be null, flags 0 or REPLACEFILE_WRITE_THROUGH (as MoveFileExA's).
BOOL ReplaceFileA(LPCSTR replaced, LPCSTR replacement, LPCSTR backup, DWORD flags, LPVOID exclude,
                  LPVOID reserved);
// The open file's path with every link followed (a POSIX path; flags must
// be 0). The path can be stale: a file removed or renamed over since it was
// opened gives the name it last had, with " (deleted)" after it. The length
// without the terminator, the size needed with it when size is too small, 0
// with the last error on failure.
DWORD GetFinalPathNameByHandleA(HANDLE file, LPSTR path, DWORD size, DWORD flags);

// TMPDIR, else /tmp, always with a trailing '/'. Returns the length without
// the terminator, or the size needed (with it) when the buffer is too small.
DWORD GetTempPathA(DWORD bufferLength, LPSTR buffer);
// unique 0: makes a new empty file "<folder>/<first 3 of prefix><hex>.TMP"
// with exclusive creation (an existing name, or a link, is never opened) and
// returns its number; otherwise only formats the name. buffer holds MAX_PATH.
UINT GetTempFileNameA(LPCSTR folder, LPCSTR prefix, UINT unique, LPSTR buffer);

struct FILETIME {
    DWORD dwLowDateTime;
    DWORD dwHighDateTime;
};
struct WIN32_FIND_DATAW {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD dwReserved0;
    DWORD dwReserved1;
    WCHAR cFileName[MAX_PATH];
    WCHAR cAlternateFileName[14];  // always empty: this file system has no short names
};
// The first directory entry matching the last component of path ('*' and '?'
// wildcards allowed there). INVALID_HANDLE_VALUE with ERROR_FILE_NOT_FOUND or
// ERROR_PATH_NOT_FOUND when there is none.
HANDLE FindFirstFileW(LPCWSTR path, WIN32_FIND_DATAW* data);
BOOL FindClose(HANDLE search);

struct BY_HANDLE_FILE_INFORMATION {
    DWORD dwFileAttributes;
    FILETIME ftCreationTime;
    FILETIME ftLastAccessTime;
    FILETIME ftLastWriteTime;
    DWORD dwVolumeSerialNumber;
    DWORD nFileSizeHigh;
    DWORD nFileSizeLow;
    DWORD nNumberOfLinks;
    DWORD nFileIndexHigh;
    DWORD nFileIndexLow;
};
// What an open file is. The volume serial number and the file index tell
// one file from another whatever its names (the device and the inode
// here); a file removed since it was opened has no links.
BOOL GetFileInformationByHandle(HANDLE file, BY_HANDLE_FILE_INFORMATION* information);

enum : DWORD {
    FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x100,
    FORMAT_MESSAGE_IGNORE_INSERTS = 0x200,
    FORMAT_MESSAGE_FROM_STRING = 0x400,
    FORMAT_MESSAGE_FROM_HMODULE = 0x800,
    FORMAT_MESSAGE_FROM_SYSTEM = 0x1000,
};
enum : WORD { LANG_NEUTRAL = 0, SUBLANG_DEFAULT = 1 };
constexpr DWORD MAKELANGID(WORD primary, WORD sub) { return static_cast<DWORD>((sub << 10) | primary); }
// FORMAT_MESSAGE_FROM_SYSTEM only: the system's text for a Win32 error code,
// ending in "\r\n" as the real texts do. Returns the length written, 0 with
// ERROR_MR_MID_NOT_FOUND for a code without a text, or
// ERROR_INSUFFICIENT_BUFFER when the text does not fit.
DWORD FormatMessageA(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPSTR buffer,
                     DWORD size, va_list* arguments);

// Microsoft C runtime low-level files, with Microsoft's flag values.
enum : int {
    _O_RDONLY = 0x0000,
    _O_WRONLY = 0x0001,
    _O_RDWR = 0x0002,
    _O_APPEND = 0x0008,
    _O_NOINHERIT = 0x0080,
    _O_CREAT = 0x0100,
    _O_TRUNC = 0x0200,
    _O_EXCL = 0x0400,
    _O_TEXT = 0x4000,
    _O_BINARY = 0x8000,
};
enum : int { _S_IWRITE = 0x0080, _S_IREAD = 0x0100 };
// Descriptors are POSIX descriptors; errors set errno (EINVAL for a flag this
// platform does not have). _O_TEXT is taken as binary: no CR-LF translation
// here. pmode grants the owner only.
int _open(const char* path, int oflag, int pmode = 0);
int _read(int fd, void* buffer, unsigned int count);
int _write(int fd, const void* buffer, unsigned int count);
int _close(int fd);
// A new malloc'd name "<folder>/<prefix><unique>" that no file has yet, in
// TMPDIR when that is a folder (the real function reads TMP), else in dir when
// that is one, else in /tmp. No file is created: callers that need the name
// reserved create it with _O_CREAT | _O_EXCL. Null on failure.
char* _tempnam(const char* dir, const char* prefix);

// ---------------------------------------------------------------------------
// Time and locks (win32_clock.cpp, win32_sync.cpp). The clock runs in real
// time in the program; test executables run on a test clock (win32_driver.h)
// on which Sleep moves time at once and is recorded.

void Sleep(DWORD milliseconds);

// A recursive lock: the thread that holds it may enter again, and leaves as
// often as it entered.
struct CRITICAL_SECTION {
    alignas(8) unsigned char m_opaque[48];
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;
void InitializeCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);

// ---------------------------------------------------------------------------
// USER32 and GDI32 handles and words. On 64-bit every handle, WPARAM, LPARAM,
// LRESULT, LONG_PTR and UINT_PTR is pointer-sized.

using WPARAM = uintptr_t;
using LPARAM = intptr_t;
using LRESULT = intptr_t;
using LONG_PTR = intptr_t;
using UINT_PTR = uintptr_t;
using ULONG_PTR = uintptr_t;
using ATOM = WORD;

struct HWND__;
using HWND = HWND__*;
struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HMENU__;
using HMENU = HMENU__*;
struct HICON__;
using HICON = HICON__*;
struct HCURSOR__;
using HCURSOR = HCURSOR__*;
struct HBRUSH__;
using HBRUSH = HBRUSH__*;
struct HDC__;
using HDC = HDC__*;
struct HBITMAP__;
using HBITMAP = HBITMAP__*;
using HGDIOBJ = void*;
struct HRSRC__;
using HRSRC = HRSRC__*;
using HGLOBAL = void*;

using WNDPROC = LRESULT (*)(HWND, UINT, WPARAM, LPARAM);

struct POINT {
    LONG x;
    LONG y;
};
struct RECT {
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
using LPRECT = RECT*;

constexpr WORD LOWORD(uintptr_t v) { return static_cast<WORD>(v & 0xFFFF); }
constexpr WORD HIWORD(uintptr_t v) { return static_cast<WORD>((v >> 16) & 0xFFFF); }
constexpr LPARAM MAKELPARAM(WORD low, WORD high) { return static_cast<LPARAM>(static_cast<DWORD>(low | (high << 16))); }
constexpr WPARAM MAKEWPARAM(WORD low, WORD high) { return static_cast<WPARAM>(static_cast<DWORD>(low | (high << 16))); }
// Mouse lParams hold two signed 16-bit coordinates.
constexpr int GET_X_LPARAM(LPARAM l) { return static_cast<SHORT>(LOWORD(static_cast<uintptr_t>(l))); }
constexpr int GET_Y_LPARAM(LPARAM l) { return static_cast<SHORT>(HIWORD(static_cast<uintptr_t>(l))); }

enum : DWORD {
    ERROR_MOD_NOT_FOUND = 126,
    ERROR_RESOURCE_TYPE_NOT_FOUND = 1813,
    ERROR_RESOURCE_NAME_NOT_FOUND = 1814,
    ERROR_INVALID_WINDOW_HANDLE = 1400,
    ERROR_CANNOT_FIND_WND_CLASS = 1407,
    ERROR_CLASS_ALREADY_EXISTS = 1410,
    ERROR_INVALID_INDEX = 1413,
};

// ---------------------------------------------------------------------------
// Windows (win32_window*.cpp). One thread; a window handle is never reused in
// a process. A message to a destroyed or unknown window answers 0, and a
// window destroyed inside one of its own messages keeps its record until the
// outermost message to it returns.

enum : UINT {
    WM_NULL = 0x0000, WM_CREATE = 0x0001, WM_DESTROY = 0x0002, WM_MOVE = 0x0003, WM_SIZE = 0x0005,
    WM_ACTIVATE = 0x0006, WM_SETFOCUS = 0x0007, WM_KILLFOCUS = 0x0008, WM_ENABLE = 0x000A,
    WM_SETTEXT = 0x000C, WM_GETTEXT = 0x000D, WM_GETTEXTLENGTH = 0x000E, WM_PAINT = 0x000F,
    WM_CLOSE = 0x0010, WM_QUIT = 0x0012, WM_SHOWWINDOW = 0x0018, WM_CANCELMODE = 0x001F,
    WM_WINDOWPOSCHANGING = 0x0046, WM_WINDOWPOSCHANGED = 0x0047, WM_NCCREATE = 0x0081,
    WM_NCDESTROY = 0x0082, WM_NCHITTEST = 0x0084, WM_NCACTIVATE = 0x0086,
    WM_NCLBUTTONDOWN = 0x00A1, WM_NCLBUTTONUP = 0x00A2, WM_NCLBUTTONDBLCLK = 0x00A3,
    WM_NCRBUTTONDOWN = 0x00A4, WM_NCRBUTTONUP = 0x00A5, WM_NCMBUTTONDOWN = 0x00A7, WM_NCMBUTTONUP = 0x00A8,
    WM_KEYDOWN = 0x0100, WM_KEYUP = 0x0101, WM_CHAR = 0x0102, WM_SYSKEYDOWN = 0x0104,
    WM_SYSKEYUP = 0x0105, WM_SYSCHAR = 0x0106, WM_INITDIALOG = 0x0110, WM_COMMAND = 0x0111,
    WM_SYSCOMMAND = 0x0112, WM_TIMER = 0x0113, WM_MOUSEMOVE = 0x0200, WM_LBUTTONDOWN = 0x0201,
    WM_LBUTTONUP = 0x0202, WM_LBUTTONDBLCLK = 0x0203, WM_RBUTTONDOWN = 0x0204, WM_RBUTTONUP = 0x0205,
    WM_RBUTTONDBLCLK = 0x0206, WM_MBUTTONDOWN = 0x0207, WM_MBUTTONUP = 0x0208, WM_MBUTTONDBLCLK = 0x0209,
    WM_PARENTNOTIFY = 0x0210, WM_SIZING = 0x0214, WM_CAPTURECHANGED = 0x0215, WM_MOVING = 0x0216,
    WM_USER = 0x0400,
};

// Window styles, extended styles and class styles.
enum : DWORD {
    WS_OVERLAPPED = 0x00000000u, WS_POPUP = 0x80000000u, WS_CHILD = 0x40000000u,
    WS_VISIBLE = 0x10000000u, WS_DISABLED = 0x08000000u, WS_CLIPSIBLINGS = 0x04000000u,
    WS_CLIPCHILDREN = 0x02000000u, WS_CAPTION = 0x00C00000u, WS_BORDER = 0x00800000u,
    WS_DLGFRAME = 0x00400000u, WS_VSCROLL = 0x00200000u, WS_HSCROLL = 0x00100000u,
    WS_SYSMENU = 0x00080000u, WS_THICKFRAME = 0x00040000u, WS_GROUP = 0x00020000u,
    WS_TABSTOP = 0x00010000u, WS_MINIMIZEBOX = 0x00020000u, WS_MAXIMIZEBOX = 0x00010000u,
    WS_OVERLAPPEDWINDOW = 0x00CF0000u, WS_POPUPWINDOW = 0x80880000u,
    WS_EX_DLGMODALFRAME = 0x00000001u, WS_EX_NOPARENTNOTIFY = 0x00000004u, WS_EX_TOPMOST = 0x00000008u,
    WS_EX_TOOLWINDOW = 0x00000080u, WS_EX_WINDOWEDGE = 0x00000100u,
};
enum : UINT { CS_VREDRAW = 0x0001, CS_HREDRAW = 0x0002, CS_DBLCLKS = 0x0008 };

struct WNDCLASSA {
    UINT style;
    WNDPROC lpfnWndProc;
    int cbClsExtra;
    int cbWndExtra;
    HINSTANCE hInstance;
    HICON hIcon;
    HCURSOR hCursor;
    HBRUSH hbrBackground;
    LPCSTR lpszMenuName;
    LPCSTR lpszClassName;
};
// Class names compare without regard to case. A second class of one name
// fails with ERROR_CLASS_ALREADY_EXISTS.
ATOM RegisterClassA(const WNDCLASSA* windowClass);

// WM_NCCREATE and WM_CREATE carry it in lParam.
struct CREATESTRUCTA {
    LPVOID lpCreateParams;
    HINSTANCE hInstance;
    HMENU hMenu;
    HWND hwndParent;
    int cy;
    int cx;
    int y;
    int x;
    LONG style;
    LPCSTR lpszName;
    LPCSTR lpszClass;
    DWORD dwExStyle;
};
// With WS_CHILD, parent is the parent and menu the control id; otherwise
// parent names the owner (its top-level window). The rectangle is the window
// rectangle, in the parent's client coordinates for a child. Messages:
// WM_NCCREATE, WM_CREATE (-1 destroys the window and gives null); a child or
// pop-up then gets WM_SIZE and WM_MOVE, and a child's parent WM_PARENTNOTIFY
// unless WS_EX_NOPARENTNOTIFY; WS_VISIBLE then shows it as ShowWindow does.
HWND CreateWindowExA(DWORD exStyle, LPCSTR className, LPCSTR windowName, DWORD style, int x, int y,
                     int width, int height, HWND parent, HMENU menu, HINSTANCE instance, LPVOID param);
// Owned windows are destroyed first, whole; then WM_DESTROY goes to the
// window and then to its children (parents before children), the capture is
// released, and WM_NCDESTROY goes children first. Its timers end, its queued
// messages are dropped, and no handle of the tree is valid afterwards.
BOOL DestroyWindow(HWND window);
BOOL IsWindow(HWND window);
// A child's parent, a pop-up's owner, else null.
HWND GetParent(HWND window);

// The default answers: WM_NCCREATE keeps the name; WM_CLOSE destroys the
// window; WM_SYSCOMMAND SC_CLOSE sends WM_CLOSE; WM_PAINT validates;
// WM_WINDOWPOSCHANGED sends WM_MOVE when the client area moved and then
// WM_SIZE (SIZE_RESTORED) when it changed size; WM_NCHITTEST tells client,
// caption and border apart; WM_ACTIVATE gives an activated window the focus;
// WM_CANCELMODE releases a capture the window holds; the text messages read
// and write the window text. Everything else answers 0.
LRESULT DefWindowProcA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// Calls a procedure that GetWindowLongPtrA(GWLP_WNDPROC) gave.
LRESULT CallWindowProcA(WNDPROC procedure, HWND window, UINT message, WPARAM wParam, LPARAM lParam);

// Geometry. The frame around the client area comes from one table of metrics
// (GetSystemMetrics): a sizing frame (WS_THICKFRAME) of 4; else a dialog
// frame of 3 for WS_EX_DLGMODALFRAME or WS_DLGFRAME (so for a caption);
// else a border of 1 for WS_BORDER or a window that is neither child nor
// pop-up; then a caption of 18 (15 with WS_EX_TOOLWINDOW) above the client
// area when the style has WS_CAPTION.
BOOL GetWindowRect(HWND window, LPRECT rect);  // screen coordinates
BOOL GetClientRect(HWND window, LPRECT rect);  // (0, 0, width, height)
BOOL AdjustWindowRectEx(LPRECT rect, DWORD style, BOOL menu, DWORD exStyle);
BOOL ClientToScreen(HWND window, POINT* point);
BOOL ScreenToClient(HWND window, POINT* point);

struct WINDOWPOS {
    HWND hwnd;
    HWND hwndInsertAfter;
    int x;
    int y;
    int cx;
    int cy;
    UINT flags;
};
enum : UINT {
    SWP_NOSIZE = 0x0001, SWP_NOMOVE = 0x0002, SWP_NOZORDER = 0x0004, SWP_NOREDRAW = 0x0008,
    SWP_NOACTIVATE = 0x0010, SWP_FRAMECHANGED = 0x0020, SWP_SHOWWINDOW = 0x0040,
    SWP_HIDEWINDOW = 0x0080, SWP_NOOWNERZORDER = 0x0200,
    SWP_NOCLIENTSIZE = 0x0800, SWP_NOCLIENTMOVE = 0x1000,  // added to WM_WINDOWPOSCHANGED's flags
};
inline HWND const HWND_TOP = nullptr;
inline HWND const HWND_BOTTOM = reinterpret_cast<HWND>(static_cast<intptr_t>(1));
inline HWND const HWND_TOPMOST = reinterpret_cast<HWND>(static_cast<intptr_t>(-1));
inline HWND const HWND_NOTOPMOST = reinterpret_cast<HWND>(static_cast<intptr_t>(-2));
// Sends WM_WINDOWPOSCHANGING with a WINDOWPOS holding the new place (the
// current one where a flag keeps it); the procedure may change it, and what
// it leaves applies. Then WM_WINDOWPOSCHANGED, unless nothing changed. A
// window that grows, or any size change with CS_HREDRAW/CS_VREDRAW, is
// invalidated. Without SWP_NOACTIVATE a shown top-level window is activated.
BOOL SetWindowPos(HWND window, HWND insertAfter, int x, int y, int cx, int cy, UINT flags);

enum : int { SW_HIDE = 0, SW_SHOWNORMAL = 1, SW_SHOWNOACTIVATE = 4, SW_SHOW = 5, SW_SHOWNA = 8 };
enum : WPARAM { SIZE_RESTORED = 0, SIZE_MINIMIZED = 1, SIZE_MAXIMIZED = 2 };
// WM_SHOWWINDOW, then SetWindowPos with SWP_SHOWWINDOW or SWP_HIDEWINDOW;
// SW_SHOW and SW_SHOWNORMAL activate a top-level window. The first showing
// of a window created without WM_SIZE and WM_MOVE sends them at the end.
// Returns whether the window was visible; a window already in the asked
// state gets nothing.
BOOL ShowWindow(HWND window, int command);
// WS_VISIBLE on the window and all its ancestors.
BOOL IsWindowVisible(HWND window);
// Returns whether it was disabled. WM_ENABLE when the state changes; a
// window being disabled first gets WM_CANCELMODE and loses the focus.
BOOL EnableWindow(HWND window, BOOL enable);
BOOL IsWindowEnabled(HWND window);

// Through WM_SETTEXT and WM_GETTEXT. GetWindowTextA copies at most size - 1
// characters and returns their number.
BOOL SetWindowTextA(HWND window, LPCSTR text);
int GetWindowTextA(HWND window, LPSTR buffer, int size);

// Properties: names compare without regard to case.
BOOL SetPropA(HWND window, LPCSTR name, HANDLE value);
HANDLE GetPropA(HWND window, LPCSTR name);
HANDLE RemovePropA(HWND window, LPCSTR name);

enum : int {
    GWLP_WNDPROC = -4, GWLP_HINSTANCE = -6, GWLP_HWNDPARENT = -8, GWLP_ID = -12,
    GWL_STYLE = -16, GWL_EXSTYLE = -20, GWLP_USERDATA = -21,
};
// Return the previous value. GWLP_WNDPROC returns a procedure that may be
// called directly or through CallWindowProcA. Other indexes fail with
// ERROR_INVALID_INDEX.
LONG_PTR SetWindowLongPtrA(HWND window, int index, LONG_PTR value);
LONG_PTR GetWindowLongPtrA(HWND window, int index);

// Focus: WM_KILLFOCUS to the old window (wParam the new), then WM_SETFOCUS to
// the new (wParam the old); returns the old one. Activation, of top-level
// windows: WM_NCACTIVATE and WM_ACTIVATE (WA_INACTIVE) to the old window,
// then WM_NCACTIVATE and WM_ACTIVATE (WA_ACTIVE) to the new. Capture:
// WM_CAPTURECHANGED to the window that loses it (lParam the new one).
enum : WPARAM { WA_INACTIVE = 0, WA_ACTIVE = 1, WA_CLICKACTIVE = 2 };
HWND SetFocus(HWND window);
HWND GetFocus();
HWND SetActiveWindow(HWND window);
HWND GetActiveWindow();
HWND SetCapture(HWND window);
BOOL ReleaseCapture();
HWND GetCapture();

// ---------------------------------------------------------------------------
// Messages (win32_message.cpp), one thread. SendMessageA calls the procedure
// at once; PostMessageA queues (a null window posts to the thread).
// Retrieval order: posted messages, then input, then WM_PAINT for a visible
// window with an update rectangle, then WM_TIMER for a due timer. WM_PAINT is
// generated while the update rectangle lasts, whatever PM_REMOVE says; a
// timer has at most one WM_TIMER pending however many periods passed.

struct MSG {
    HWND hwnd;
    UINT message;
    WPARAM wParam;
    LPARAM lParam;
    DWORD time;
    POINT pt;
};
using LPMSG = MSG*;
enum : UINT { PM_NOREMOVE = 0x0000, PM_REMOVE = 0x0001, PM_NOYIELD = 0x0002 };

LRESULT SendMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
BOOL PostMessageA(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
// window null: every message of the thread; (HWND)-1: only those posted to
// no window; else that window's only. first = last = 0: every message
// number, else first..last.
BOOL PeekMessageA(LPMSG message, HWND window, UINT first, UINT last, UINT remove);
// As PeekMessageA with PM_REMOVE, waiting on the clock for the next timer.
// Returns 0 for WM_QUIT, and -1 when nothing could ever arrive (no message
// and no timer: a headless thread has no other source).
BOOL GetMessageA(LPMSG message, HWND window, UINT first, UINT last);
// WM_KEYDOWN (WM_SYSKEYDOWN) of a key with a character posts WM_CHAR
// (WM_SYSCHAR): letters lower case, digits, space, Enter, Tab, Escape and
// Backspace. Non-zero for every key message.
BOOL TranslateMessage(const MSG* message);
LRESULT DispatchMessageA(const MSG* message);

// Update rectangles (win32_paint.cpp), in client coordinates, clipped to the
// client area.
BOOL InvalidateRect(HWND window, const RECT* rect, BOOL erase);
BOOL ValidateRect(HWND window, const RECT* rect);
// Non-zero when there is an update rectangle; rect (may be null) gets it, or
// an empty one.
BOOL GetUpdateRect(HWND window, LPRECT rect, BOOL erase);
// Sends WM_PAINT at once when the window has an update rectangle.
BOOL UpdateWindow(HWND window);
struct HRGN__;
using HRGN = HRGN__*;
enum : UINT { RDW_INVALIDATE = 0x0001, RDW_ERASE = 0x0004, RDW_ALLCHILDREN = 0x0080, RDW_UPDATENOW = 0x0100 };
// Regions are not kept: region must be null.
BOOL RedrawWindow(HWND window, const RECT* rect, HRGN region, UINT flags);

// Timers (win32_timer.cpp) on the stand-in's clock. WM_TIMER goes to the
// window with wParam the id; an existing id restarts its timer. A period
// below 10 ms is 10 ms. Timer procedures are not supported: a non-null one,
// or a null window, fails.
using TIMERPROC = void (*)(HWND, UINT, UINT_PTR, DWORD);
UINT_PTR SetTimer(HWND window, UINT_PTR id, UINT elapse, TIMERPROC timerProc);
BOOL KillTimer(HWND window, UINT_PTR id);

// Input (win32_input.cpp; the driver makes it). Mouse input goes to the
// capture window, else to the deepest visible, enabled window under the
// point whose procedure does not answer WM_NCHITTEST with HTTRANSPARENT (the
// window beneath then gets it); a disabled child is passed over, a disabled
// top-level window gets none. A press within 500 ms of the last one, inside
// the 4 x 4 rectangle centred on it, on the same window, is a double click
// (WM_LBUTTONDBLCLK) when the window's class has CS_DBLCLKS. lParam holds
// client coordinates as two signed 16-bit words. Keys go to the focus window.
enum : LRESULT { HTERROR = -2, HTTRANSPARENT = -1, HTNOWHERE = 0, HTCLIENT = 1, HTCAPTION = 2, HTBORDER = 18 };
enum : WPARAM { MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_MBUTTON = 0x0010 };
enum : WPARAM { SC_CLOSE = 0xF060 };
enum : WORD {
    VK_BACK = 0x08, VK_TAB = 0x09, VK_RETURN = 0x0D, VK_ESCAPE = 0x1B, VK_SPACE = 0x20,
    VK_LEFT = 0x25, VK_UP = 0x26, VK_RIGHT = 0x27, VK_DOWN = 0x28, VK_DELETE = 0x2E,
};

// System metrics (win32_metrics.cpp): the screen (settable by the driver),
// the frame table above and the double-click rectangle.
enum : int {
    SM_CXSCREEN = 0, SM_CYSCREEN = 1, SM_CYCAPTION = 4, SM_CXBORDER = 5, SM_CYBORDER = 6,
    SM_CXDLGFRAME = 7, SM_CYDLGFRAME = 8, SM_CXFRAME = 32, SM_CYFRAME = 33,
    SM_CXDOUBLECLK = 36, SM_CYDOUBLECLK = 37, SM_CYSMCAPTION = 51,
};
// 0 for a metric not kept.
int GetSystemMetrics(int index);

// ---------------------------------------------------------------------------
// GDI bitmaps (win32_gdi_bitmap.cpp): 32-bit DIB sections and memory DCs.

struct BITMAP {
    LONG bmType;
    LONG bmWidth;
    LONG bmHeight;  // rows, positive for a top-down DIB too
    LONG bmWidthBytes;
    WORD bmPlanes;
    WORD bmBitsPixel;
    LPVOID bmBits;
};
struct BITMAPINFOHEADER {
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // negative: rows top-down
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
struct RGBQUAD {
    BYTE rgbBlue;
    BYTE rgbGreen;
    BYTE rgbRed;
    BYTE rgbReserved;
};
struct BITMAPINFO {
    BITMAPINFOHEADER bmiHeader;
    RGBQUAD bmiColors[1];
};
struct DIBSECTION {
    BITMAP dsBm;
    BITMAPINFOHEADER dsBmih;
    DWORD dsBitfields[3];
    HANDLE dshSection;
    DWORD dsOffset;
};
enum : DWORD { BI_RGB = 0 };
enum : UINT { DIB_RGB_COLORS = 0 };
enum : UINT { OBJ_BITMAP = 7 };

// BI_RGB with 32 bits only; rows of width * 4 bytes, zeroed. A byte count
// that overflows or cannot be allocated gives null (and null bits).
HBITMAP CreateDIBSection(HDC dc, const BITMAPINFO* info, UINT usage, void** bits, HANDLE section, DWORD offset);
// A memory DC holding the 1 x 1 stock bitmap until another is selected.
HDC CreateCompatibleDC(HDC dc);
// Returns the previous bitmap; null when the bitmap is already in another DC.
HGDIOBJ SelectObject(HDC dc, HGDIOBJ object);
HGDIOBJ GetCurrentObject(HDC dc, UINT type);
// A BITMAP (32 bytes here) or, with room for it, a DIBSECTION; returns the
// bytes written, or the bytes needed when buffer is null.
int GetObjectA(HGDIOBJ object, int size, LPVOID buffer);
BOOL DeleteDC(HDC dc);
// FALSE for a bitmap selected into a DC, as on Windows.
BOOL DeleteObject(HGDIOBJ object);

// ---------------------------------------------------------------------------
// Modules and resources (win32_module.cpp, win32_resources.cpp). A module
// handle is the base address of the loaded object. Resource tables are
// registered by each module (win32_resources.h).

// Null: the program. Else the loaded object of that file name (its last
// component), compared without regard to case; null with
// ERROR_MOD_NOT_FOUND when none.
HMODULE GetModuleHandleA(LPCSTR name);
// The POSIX path; a short buffer gets it cut and terminated, and the size
// is returned with ERROR_INSUFFICIENT_BUFFER.
DWORD GetModuleFileNameA(HMODULE module, LPSTR buffer, DWORD size);
// dlopen with RTLD_NOW | RTLD_LOCAL of the POSIX path; null with
// ERROR_MOD_NOT_FOUND when it fails. Each load is one count.
HMODULE LoadLibraryA(LPCSTR path);
BOOL FreeLibrary(HMODULE module);

inline LPSTR MAKEINTRESOURCEA(WORD id) { return reinterpret_cast<LPSTR>(static_cast<ULONG_PTR>(id)); }
inline bool IS_INTRESOURCE(LPCSTR name) { return (reinterpret_cast<ULONG_PTR>(name) >> 16) == 0; }
// Copies at most size - 1 characters and a terminator; returns their number,
// 0 when the string is missing.
int LoadStringA(HINSTANCE module, UINT id, LPSTR buffer, int size);
// A new DIB section each call (free it with DeleteObject); null when missing.
HBITMAP LoadBitmapA(HINSTANCE module, LPCSTR name);
// Custom resources: name an id, type a name ("PDCL"), compared without
// regard to case.
HRSRC FindResourceA(HMODULE module, LPCSTR name, LPCSTR type);
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
LPVOID LockResource(HGLOBAL data);
DWORD SizeofResource(HMODULE module, HRSRC resource);

// ---------------------------------------------------------------------------
// GDI drawing (win32_gdi_*.cpp). Every top-level window has one 32-bit
// backing surface of its client size, white when made; a child draws into
// its top-level window's surface at its offset, clipped to its client area
// and its ancestors'. Pixels are 0x00RRGGBB words, as in a DIB section.

using COLORREF = DWORD;  // 0x00BBGGRR
struct HPEN__;
using HPEN = HPEN__*;
constexpr COLORREF RGB(BYTE r, BYTE g, BYTE b) { return static_cast<COLORREF>(r | (g << 8) | (b << 16)); }
constexpr BYTE GetRValue(COLORREF c) { return static_cast<BYTE>(c & 0xFF); }
constexpr BYTE GetGValue(COLORREF c) { return static_cast<BYTE>((c >> 8) & 0xFF); }
constexpr BYTE GetBValue(COLORREF c) { return static_cast<BYTE>((c >> 16) & 0xFF); }

struct SIZE {
    LONG cx;
    LONG cy;
};
struct PAINTSTRUCT {
    HDC hdc;
    BOOL fErase;
    RECT rcPaint;
    BOOL fRestore;
    BOOL fIncUpdate;
    BYTE rgbReserved[32];
};

// A DC of the window's client area, clipped to it; null for a bad window.
HDC GetDC(HWND window);
// 1 when the DC was the window's and is now released, else 0.
int ReleaseDC(HWND window, HDC dc);
// A DC clipped to the update rectangle, which it validates; fErase tells
// whether an erase was asked. Null (and an empty rcPaint) for a bad window.
HDC BeginPaint(HWND window, PAINTSTRUCT* paint);
BOOL EndPaint(HWND window, const PAINTSTRUCT* paint);

// Stock objects are never deleted (DeleteObject answers TRUE and keeps
// them). A new DC holds BLACK_PEN, WHITE_BRUSH and black text on opaque
// white, as on Windows. Pens are one pixel wide.
enum : int { WHITE_BRUSH = 0, WHITE_PEN = 6, BLACK_PEN = 7 };
enum : UINT { OBJ_PEN = 1, OBJ_BRUSH = 2, OBJ_DC = 3, OBJ_MEMDC = 10 };
HGDIOBJ GetStockObject(int object);
HBRUSH CreateSolidBrush(COLORREF color);

// Raster operations: SRCCOPY only. Source pixels outside the source bitmap
// copy nothing; StretchBlt takes the nearest source pixel to each
// destination pixel's centre. Negative extents (mirroring) fail.
enum : DWORD { SRCCOPY = 0x00CC0020u };
BOOL BitBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, DWORD rop);
BOOL StretchBlt(HDC dst, int x, int y, int width, int height, HDC src, int srcX, int srcY, int srcWidth,
                int srcHeight, DWORD rop);

// Shapes cover left..right - 1 and top..bottom - 1: the pen outlines the
// border pixels and the brush fills inside them.
BOOL Rectangle(HDC dc, int left, int top, int right, int bottom);
// The brush over left..right - 1, top..bottom - 1; no pen.
int FillRect(HDC dc, const RECT* rect, HBRUSH brush);
// Fills the pixels whose centres lie inside (even-odd rule) with the brush,
// then draws each edge with the pen, its end point left to the next edge.
// Between BeginPath and EndPath it adds the polygon to the path instead.
BOOL Polygon(HDC dc, const POINT* points, int count);
BOOL BeginPath(HDC dc);
BOOL EndPath(HDC dc);
// RGN_DIFF only: the clip loses the closed path's area (even-odd, by pixel
// centres); the path is used up. Other modes fail.
enum : int { RGN_AND = 1, RGN_OR = 2, RGN_XOR = 3, RGN_DIFF = 4, RGN_COPY = 5 };
BOOL SelectClipPath(HDC dc, int mode);

// Text in the built-in 6 x 13 fixed font: printable ASCII, any other byte a
// box. Each character fills its cell with the background colour (opaque
// mode) and its glyph with the text colour.
struct TEXTMETRICA {
    LONG tmHeight;
    LONG tmAscent;
    LONG tmDescent;
    LONG tmInternalLeading;
    LONG tmExternalLeading;
    LONG tmAveCharWidth;
    LONG tmMaxCharWidth;
    LONG tmWeight;
    LONG tmOverhang;
    LONG tmDigitizedAspectX;
    LONG tmDigitizedAspectY;
    BYTE tmFirstChar;
    BYTE tmLastChar;
    BYTE tmDefaultChar;
    BYTE tmBreakChar;
    BYTE tmItalic;
    BYTE tmUnderlined;
    BYTE tmStruckOut;
    BYTE tmPitchAndFamily;
    BYTE tmCharSet;
};
BOOL TextOutA(HDC dc, int x, int y, LPCSTR text, int count);
BOOL GetTextMetricsA(HDC dc, TEXTMETRICA* metrics);
BOOL GetTextExtentPoint32A(HDC dc, LPCSTR text, int count, SIZE* size);

// ---------------------------------------------------------------------------
// Dialogs (win32_dialog.cpp) from templates that modules register as tables
// (win32_resources.h). Dialog units are those of the built-in font: x * 6 / 4
// and y * 13 / 8 pixels. The dialog class first calls the dialog procedure;
// when it answers 0 the class acts as Windows does: WM_CLOSE posts
// WM_COMMAND (IDCANCEL, BN_CLICKED), everything else goes to DefWindowProcA.

using INT_PTR = intptr_t;
using DLGPROC = INT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
enum : int { IDOK = 1, IDCANCEL = 2 };
enum : UINT { WM_DRAWITEM = 0x002B, WM_MEASUREITEM = 0x002C, WM_DELETEITEM = 0x002D, WM_HSCROLL = 0x0114,
              WM_VSCROLL = 0x0115 };

// Null (ERROR_RESOURCE_NAME_NOT_FOUND) when the module has no such template.
// Creates the dialog (a pop-up owned by owner, placed in the owner's client
// coordinates), then its controls in template order (each with
// WS_EX_NOPARENTNOTIFY), then sends WM_INITDIALOG (wParam the first
// control, lParam param); TRUE from it gives that control the focus. A
// template with WS_VISIBLE is then shown.
HWND CreateDialogParamA(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param);
// Disables the owner, creates and shows the dialog, and runs a modal loop
// until EndDialog; then enables the owner first, hides and destroys the
// dialog and returns the EndDialog value. -1 for a missing template. The
// loop is the test driver's (win32_driver.h): without a modal script the
// dialog ends at once with -1, and a loop that runs dry ends with -1 too.
INT_PTR DialogBoxParamA(HINSTANCE module, LPCSTR name, HWND owner, DLGPROC procedure, LPARAM param);
// A modal dialog ends its loop; a modeless one is only hidden.
BOOL EndDialog(HWND dialog, INT_PTR result);
HWND GetDlgItem(HWND dialog, int id);
UINT GetDlgItemTextA(HWND dialog, int id, LPSTR buffer, int size);
BOOL SetDlgItemTextA(HWND dialog, int id, LPCSTR text);
BOOL SetDlgItemInt(HWND dialog, int id, UINT value, BOOL isSigned);
LRESULT SendDlgItemMessageA(HWND dialog, int id, UINT message, WPARAM wParam, LPARAM lParam);

// ---------------------------------------------------------------------------
// Controls (win32_control_*.cpp): the classes "Static", "Button", "ComboBox"
// and "ListBox", registered when the stand-in loads, all with CS_DBLCLKS.
// They paint nothing of their own; owner-drawn list items reach the parent.

// Static: SS_BITMAP shows a bitmap given by STM_SETIMAGE (IMAGE_BITMAP), which
// returns the previous one. Without SS_NOTIFY, WM_NCHITTEST answers
// HTTRANSPARENT, so a click goes to the window beneath (its dialog).
enum : DWORD { SS_LEFT = 0x0, SS_BITMAP = 0x0E, SS_NOTIFY = 0x100 };
enum : UINT { STM_SETIMAGE = 0x0172, STM_GETIMAGE = 0x0173 };
enum : WPARAM { IMAGE_BITMAP = 0 };

// Push button: a press (or double click) captures and takes the focus; the
// release, once the capture is gone, sends BN_CLICKED to the parent when it
// falls inside the button. A disabled button gets no input.
enum : DWORD { BS_PUSHBUTTON = 0x0, BS_DEFPUSHBUTTON = 0x1 };
enum : WORD { BN_CLICKED = 0 };

// Drop-down-list combo box; its window is the 21-pixel selection field
// (the height it is made with is the dropped list's). CB_SETCURSEL sends no notification; a user's
// choice (the driver's) sends CBN_SELCHANGE, whether or not the selection
// changed. CB_INSERTSTRING at -1 appends; an index past the end is CB_ERR.
enum : DWORD { CBS_DROPDOWNLIST = 0x3 };
enum : UINT {
    CB_ADDSTRING = 0x0143, CB_GETCOUNT = 0x0146, CB_GETCURSEL = 0x0147, CB_GETLBTEXT = 0x0148,
    CB_INSERTSTRING = 0x014A, CB_RESETCONTENT = 0x014B, CB_SETCURSEL = 0x014E,
};
enum : WORD { CBN_SELCHANGE = 1 };
enum : LRESULT { CB_ERR = -1 };

// Owner-drawn fixed list box with strings. At creation the parent gets
// WM_MEASUREITEM with the item height preset to the font's 13 (an answer of
// 0 pixels counts as 1). Each paint sends WM_DRAWITEM (ODA_DRAWENTIRE) per
// visible item in the update rectangle; a selection change sends ODA_SELECT
// for the item left and the item chosen, at once. LB_RESETCONTENT and
// destruction send WM_DELETEITEM per item, first to last. A press selects
// the item under it and captures; the release after every press sends
// LBN_SELCHANGE (with LBS_NOTIFY), changed or not. WM_LBUTTONDBLCLK sends
// LBN_DBLCLK and captures nothing, so its release sends nothing. VK_UP and
// VK_DOWN move the selection and send LBN_SELCHANGE when it moved.
// LB_SETITEMHEIGHT sets every item's height (the index is ignored; a height
// of 0 or above 255 gives LB_ERR) and LB_GETITEMHEIGHT reads it.
// LB_SETCURSEL scrolls the item into view and sends no notification. A
// horizontal extent wider than the list gives WS_HSCROLL a range;
// WM_HSCROLL and WM_VSCROLL take SB_THUMBPOSITION (position in pixels and
// in items). LB_GETITEMRECT gives the item as displayed: shifted left by the
// horizontal position, as wide as the list or the extent.
enum : DWORD { LBS_NOTIFY = 0x1, LBS_OWNERDRAWFIXED = 0x10, LBS_HASSTRINGS = 0x40, LBS_NOINTEGRALHEIGHT = 0x100,
               LBS_NOSEL = 0x4000 };
enum : UINT {
    LB_ADDSTRING = 0x0180, LB_RESETCONTENT = 0x0184, LB_SETCURSEL = 0x0186, LB_GETCURSEL = 0x0188,
    LB_GETTEXT = 0x0189, LB_GETCOUNT = 0x018B, LB_GETITEMRECT = 0x0198, LB_GETITEMDATA = 0x0199,
    LB_SETITEMDATA = 0x019A, LB_SETHORIZONTALEXTENT = 0x0194, LB_SETITEMHEIGHT = 0x01A0,
    LB_GETITEMHEIGHT = 0x01A1,
};
enum : WORD { LBN_SELCHANGE = 1, LBN_DBLCLK = 2 };
enum : LRESULT { LB_ERR = -1 };
enum : UINT { ODT_LISTBOX = 2 };
enum : UINT { ODA_DRAWENTIRE = 1, ODA_SELECT = 2, ODA_FOCUS = 4 };
enum : UINT { ODS_SELECTED = 1, ODS_FOCUS = 0x10 };
enum : WORD { SB_THUMBPOSITION = 4 };

struct MEASUREITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemWidth;
    UINT itemHeight;
    ULONG_PTR itemData;
};
struct DRAWITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    UINT itemAction;
    UINT itemState;
    HWND hwndItem;
    HDC hDC;
    RECT rcItem;
    ULONG_PTR itemData;
};
struct DELETEITEMSTRUCT {
    UINT CtlType;
    UINT CtlID;
    UINT itemID;
    HWND hwndItem;
    ULONG_PTR itemData;
};

// Scroll positions of a window's bars (a list box's own).
enum : int { SB_HORZ = 0, SB_VERT = 1 };
enum : UINT { SIF_RANGE = 0x1, SIF_PAGE = 0x2, SIF_POS = 0x4, SIF_ALL = 0x17 };
struct SCROLLINFO {
    UINT cbSize;
    UINT fMask;
    int nMin;
    int nMax;
    UINT nPage;
    int nPos;
    int nTrackPos;
};
BOOL GetScrollInfo(HWND window, int bar, SCROLLINFO* info);

// ---------------------------------------------------------------------------
// COMDLG32 (win32_comdlg.cpp): the colour chooser answers from the test
// driver's colour scripts; none left is a cancel.
using LPCCHOOKPROC = UINT_PTR (*)(HWND, UINT, WPARAM, LPARAM);
struct CHOOSECOLORA {
    DWORD lStructSize;
    HWND hwndOwner;
    HWND hInstance;
    COLORREF rgbResult;
    COLORREF* lpCustColors;
    DWORD Flags;
    LPARAM lCustData;
    LPCCHOOKPROC lpfnHook;
    LPCSTR lpTemplateName;
};
enum : DWORD { CC_RGBINIT = 0x1, CC_FULLOPEN = 0x2 };
BOOL ChooseColorA(CHOOSECOLORA* choose);

// ---------------------------------------------------------------------------
// Shell folders, COM memory, folders, message boxes and local time
// (win32_shell.cpp).

using HRESULT = LONG;
constexpr HRESULT S_OK = 0;
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
inline bool SUCCEEDED(HRESULT result) { return result >= 0; }
inline bool FAILED(HRESULT result) { return result < 0; }

enum : int { CSIDL_APPDATA = 0x1a };

// An item list names one folder; free it through the shell's allocator.
struct ITEMIDLIST;
using LPITEMIDLIST = ITEMIDLIST*;
using LPCITEMIDLIST = const ITEMIDLIST*;

// The shell's allocator (the part of the COM interface the system calls).
struct IMalloc {
    virtual void* Alloc(size_t size) = 0;
    virtual void Free(void* block) = 0;
    virtual ULONG_PTR Release() = 0;
protected:
    ~IMalloc() = default;
};
using LPMALLOC = IMalloc*;

// Only CSIDL_APPDATA: the configured application-data folder (the driver's
// SetAppDataFolder; else $XDG_CONFIG_HOME/tintscope, else
// $HOME/.config/tintscope, each only when absolute). E_FAIL when neither
// is usable or the driver's fault switch is on.
HRESULT SHGetSpecialFolderLocation(HWND owner, int folder, LPITEMIDLIST* list);
// Copies the folder into path (MAX_PATH bytes) after making its missing
// parents (a parent that cannot be made is left for CreateDirectoryA to
// report). FALSE when the fault switch is on or the folder does not fit.
BOOL SHGetPathFromIDListA(LPCITEMIDLIST list, LPSTR path);
// context must be 1 (MEMCTX_TASK).
HRESULT CoGetMalloc(DWORD context, LPMALLOC* malloc);

// Makes one folder, never its parents; ERROR_ALREADY_EXISTS when it is there.
BOOL CreateDirectoryA(LPCSTR path, LPSECURITY_ATTRIBUTES attributes);

enum : UINT { MB_OK = 0x0, MB_ICONERROR = 0x10 };
// Recorded (Win32Driver::MessageBoxes); answers IDOK at once.
int MessageBoxA(HWND owner, LPCSTR text, LPCSTR caption, UINT type);

struct SYSTEMTIME {
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
// The local time; on the test clock, 1 January 2000 00:00:00.000 plus the
// clock's milliseconds.
void GetLocalTime(SYSTEMTIME* time);
