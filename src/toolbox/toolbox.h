/*
 * toolbox.h - the platform calls that pellorkit and tessik make, implemented
 * by us on Linux: Memory Manager handles, atom containers in the published
 * big-endian layout, a File Manager over POSIX, a minimal movie toolbox, a
 * Component Manager registry and enough of QuickDraw for ports, colours and
 * regions.
 *
 * Every call returns a negative status on failure and never aborts; no call
 * reads or writes outside the blocks it was given. The header is plain C so
 * that C programs can use it too.
 */
#ifndef TESSIK_TOOLBOX_H
#define TESSIK_TOOLBOX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* ---- basic types ------------------------------------------------------ */

typedef int16_t OSErr;
typedef int32_t OSStatus;
typedef unsigned char Boolean;
typedef int32_t Size;
typedef char *Ptr;
typedef Ptr *Handle;
typedef uint32_t OSType;
typedef uint32_t FourCharCode;
typedef int32_t Fixed;
typedef int16_t ScriptCode;
typedef unsigned char Str255[256];
typedef const unsigned char *ConstStr255Param;
typedef unsigned char *StringPtr;

/* ---- status codes ----------------------------------------------------- */

enum {
    noErr = 0,
    dskFulErr = -34,      /* no room left on the volume */
    ioErr = -36,          /* any other I/O failure */
    bdNamErr = -37,       /* empty or over-long path name */
    fnOpnErr = -38,       /* file not open */
    eofErr = -39,         /* the file holds fewer bytes than asked for */
    tmfoErr = -42,        /* too many files open */
    fnfErr = -43,         /* file not found (its folder exists) */
    wPrErr = -44,         /* volume is read-only */
    fBsyErr = -47,        /* file busy, or a folder where a file was wanted */
    dupFNErr = -48,       /* a file of that name already exists */
    paramErr = -50,       /* a bad argument */
    rfNumErr = -51,       /* not a reference number of an open file */
    permErr = -54,        /* permission denied */
    memFullErr = -108,    /* the memory could not be had */
    nilHandleErr = -109,  /* a null handle */
    dirNFErr = -120,      /* a folder on the path does not exist */
    fileTooBigErr = -1309,/* a file of 2 GiB or more */
    notAFileErr = -1302,  /* a folder was named where a file was wanted */
    invalidMovie = -2010, /* the file holds no usable movie */
    cannotFindAtomErr = -2024,
    notLeafAtomErr = -2025,
    invalidAtomErr = -2026,
    invalidAtomContainerErr = -2027,
    invalidAtomTypeErr = -2028,
    nestingTooDeepErr = -2029,
    badComponentInstance = (int16_t)0x8001 /* -32767 */,
    badComponentSelector = (int16_t)0x8002 /* -32766 */
};

/* ---- Memory Manager --------------------------------------------------- */

/* A Handle points at a master pointer; *h is the block. The handle stays the
 * same when the block moves or changes size. Sizes are signed 32-bit. */
Handle NewHandle(Size size);        /* contents undefined; NULL + MemError() on failure */
Handle NewHandleClear(Size size);   /* zero-filled */
void DisposeHandle(Handle h);       /* NULL is accepted */
Size GetHandleSize(Handle h);       /* 0 for NULL */
void SetHandleSize(Handle h, Size newSize); /* keeps the leading bytes; MemError() tells */
OSErr MemError(void);               /* status of the last allocation call */

/* ---- atom containers -------------------------------------------------- */

typedef Handle QTAtomContainer;
typedef int32_t QTAtom;   /* byte offset of an atom's header in the block; 0 = the container */
typedef uint32_t QTAtomType;
typedef int32_t QTAtomID;

enum { kParentAtomIsContainer = 0 };

/* Deepest nesting the container calls and the listing will follow. */
enum { kQTMaxAtomNesting = 1024 };

OSErr QTNewAtomContainer(QTAtomContainer *container);
OSErr QTDisposeAtomContainer(QTAtomContainer container);
OSErr QTLockContainer(QTAtomContainer container);
OSErr QTUnlockContainer(QTAtomContainer container);
/* Lock count kept beside the block (never in its bytes); for tests. */
int32_t QTGetContainerLockCount(QTAtomContainer container);

/* Children of any type (childType 0) or of one type; 0 for a leaf or a bad atom. */
int32_t QTCountChildrenOfType(QTAtomContainer container, QTAtom parent, QTAtomType childType);
/* currentChild 0 asks for the first child. Asking past the children that fit
 * in the parent fails (cannotFindAtomErr) and sets *nextChild to 0. */
OSErr QTNextChildAnyType(QTAtomContainer container, QTAtom parent, QTAtom currentChild,
                         QTAtom *nextChild);
/* The index-th (1-based) child of that type, 0 when there is none. id may be NULL. */
QTAtom QTFindChildByIndex(QTAtomContainer container, QTAtom parent, QTAtomType atomType,
                          int16_t index, QTAtomID *id);
OSErr QTGetAtomTypeAndID(QTAtomContainer container, QTAtom atom, QTAtomType *atomType,
                         QTAtomID *id);
/* A leaf's payload inside the block; valid until the container next changes. */
OSErr QTGetAtomDataPtr(QTAtomContainer container, QTAtom atom, int32_t *dataSize,
                       Ptr *atomData);
/* The new atom becomes the index-th child of its type (index 1: the first);
 * an index past the last child of that type appends it after all children. */
OSErr QTInsertChild(QTAtomContainer container, QTAtom parentAtom, QTAtomType atomType,
                    QTAtomID id, int16_t index, int32_t dataSize, const void *data,
                    QTAtom *newAtom);
OSErr QTRemoveAtom(QTAtomContainer container, QTAtom atom);

/* ---- File Manager ----------------------------------------------------- */

enum { kFSSpecPathMax = 4096 };

typedef struct FSSpec {
    char path[kFSSpecPathMax]; /* resolved native path, NUL-terminated */
} FSSpec;

typedef struct Point {
    int16_t v;
    int16_t h;
} Point;

typedef struct FInfo {
    OSType fdType;
    OSType fdCreator;
    uint16_t fdFlags;
    Point fdLocation;
    int16_t fdFldr;
} FInfo;

enum {
    fsCurPerm = 0,
    fsRdPerm = 1,
    fsWrPerm = 2,
    fsRdWrPerm = 3
};

enum { smSystemScript = -1 };

/* 0 when the file exists, fnfErr when only the last component is missing
 * (spec then names the file to create), another negative code otherwise. */
OSStatus NativePathNameToFSSpec(const char *path, FSSpec *spec, uint32_t flags);
OSErr FSpOpenDF(const FSSpec *spec, int8_t permission, int16_t *refNum);
OSErr FSpCreate(const FSSpec *spec, OSType creator, OSType fileType, ScriptCode scriptTag);
OSErr FSpDelete(const FSSpec *spec);
OSErr FSpGetFInfo(const FSSpec *spec, FInfo *fndrInfo);
/* Renames source over target in one step (both in one folder); the old
 * target, if any, is replaced atomically. */
OSErr FSpRenameOver(const FSSpec *source, const FSSpec *target);
OSErr GetEOF(int16_t refNum, int32_t *logEOF);
OSErr SetFPos(int16_t refNum, int16_t posMode, int32_t posOff);
OSErr FSRead(int16_t refNum, int32_t *count, void *buffPtr);
OSErr FSWrite(int16_t refNum, int32_t *count, const void *buffPtr);
OSErr FSFlushFork(int16_t refNum); /* pushes the file's data to the disk */
OSErr FSClose(int16_t refNum);

enum { fsFromStart = 1 };

/* Test hook: when set, every File Manager call above first calls it with its
 * own name ("FSpCreate", "FSRead", ...). A negative result makes the call fail
 * with that status without doing its work (FSClose still releases the file,
 * as a failed close does); 0 lets it go on, so the hook may also change the
 * world between two calls. NULL removes it. */
typedef OSErr (*TBFileCallHook)(const char *call, void *refcon);
void TBSetFileCallHook(TBFileCallHook hook, void *refcon);

/* ---- QuickDraw -------------------------------------------------------- */

typedef struct Rect {
    int16_t top;
    int16_t left;
    int16_t bottom;
    int16_t right;
} Rect;

typedef struct RGBColor {
    uint16_t red;
    uint16_t green;
    uint16_t blue;
} RGBColor;

typedef struct OpaqueGrafPtr *CGrafPtr;
typedef CGrafPtr GrafPtr;

enum {
    blackColor = 33,
    whiteColor = 30,
    redColor = 205,
    greenColor = 341,
    blueColor = 409,
    cyanColor = 273,
    magentaColor = 137,
    yellowColor = 69
};

CGrafPtr CreateNewPort(void);
void DisposePort(CGrafPtr port);
void SetPort(GrafPtr port);
void GetPort(GrafPtr *port);
void RGBForeColor(const RGBColor *color);
void RGBBackColor(const RGBColor *color);
void ForeColor(int32_t color);
void BackColor(int32_t color);
void GetForeColor(RGBColor *color);
void GetBackColor(RGBColor *color);

/* A region is a union of rectangles. */
typedef struct OpaqueRgnHandle *RgnHandle;

RgnHandle NewRgn(void);
void DisposeRgn(RgnHandle rgn);
void SetRectRgn(RgnHandle rgn, int16_t left, int16_t top, int16_t right, int16_t bottom);
void RectRgn(RgnHandle rgn, const Rect *r);
void UnionRgn(RgnHandle srcA, RgnHandle srcB, RgnHandle dst);
Rect *GetRegionBounds(RgnHandle rgn, Rect *bounds);
Boolean EmptyRgn(RgnHandle rgn);
Boolean IsRegionRectangular(RgnHandle rgn);

/* ---- movie toolbox ---------------------------------------------------- */

typedef struct MovieRecord *Movie;
typedef int32_t TimeValue;
typedef int32_t TimeScale;

enum { newMovieActive = 1 };

OSErr EnterMovies(void);
void ExitMovies(void);
OSErr OpenMovieFile(const FSSpec *fileSpec, int16_t *resRefNum, int8_t permission);
OSErr NewMovieFromFile(Movie *theMovie, int16_t resRefNum, int16_t *resId,
                       StringPtr resName, int16_t newMovieFlags, Boolean *dataRefWasChanged);
OSErr CloseMovieFile(int16_t resRefNum);
void DisposeMovie(Movie theMovie);
TimeScale GetMovieTimeScale(Movie theMovie);
TimeValue GetMovieDuration(Movie theMovie);
int32_t GetMovieTrackCount(Movie theMovie);
Boolean GetMovieActive(Movie theMovie);

/* ---- Component Manager ------------------------------------------------ */

typedef struct ComponentDescription {
    OSType componentType;
    OSType componentSubType;
    OSType componentManufacturer;
    uint32_t componentFlags;
    uint32_t componentFlagsMask;
} ComponentDescription;

/* A registered component is named by a non-zero 32-bit identifier. */
typedef uint32_t Component;
typedef uint32_t ComponentInstance;

/* Called by OpenAComponent; a negative result refuses the open. */
typedef OSErr (*ComponentOpener)(Component component, void *refcon);

Component RegisterComponentDescription(const ComponentDescription *cd,
                                       ComponentOpener opener, void *refcon);
OSErr UnregisterComponent(Component component);
Component FindNextComponent(Component previous, const ComponentDescription *looking);
OSErr GetComponentInfo(Component component, ComponentDescription *cd, Handle componentName,
                       Handle componentInfo, Handle componentIcon);
OSErr OpenAComponent(Component component, ComponentInstance *instance);
OSErr CloseComponent(ComponentInstance instance);

#ifdef __cplusplus
}
#endif

#endif
