/*
 * pellorkit.h - the general tool library under tessik: output levels and
 * error reports, argument lookup, four-character codes, strings and numbers,
 * settings files, deep atom paths, report field formatters, movie, component
 * and colour helpers, and numbered file names.
 *
 * The interface is plain C: records, int statuses (0 success, negative
 * failure), NUL-terminated strings in heap blocks that the caller owns and
 * frees with free().
 */
#ifndef PELLORKIT_H
#define PELLORKIT_H

#include <stdint.h>

#include "toolbox/toolbox.h"

#ifdef __cplusplus
extern "C" {
#endif

#if defined(__GNUC__)
#define NR_PRINTF_LIKE(f, a) __attribute__((format(printf, f, a)))
#else
#define NR_PRINTF_LIKE(f, a)
#endif

/* ---- output ----------------------------------------------------------- */

/* Output level: a print at level L is written when L <= g_verbosity. */
extern int g_verbosity;

/* Prints when level <= g_verbosity; adds "\n" unless the format's last byte
 * is a control character (or >= 0x80). */
void nr_printf(int level, const char *format, ...) NR_PRINTF_LIKE(2, 3);
/* A new 1024-byte heap block holding the formatted text (cut to fit). */
char *nr_sprintf(const char *format, ...) NR_PRINTF_LIKE(1, 2);
void nr_print_info(const char *label, const char *value);
void nr_print_int(const char *label, int32_t n);
void nr_print_cr(void);
/* The six-line banner, whatever the level; name is the caller's source path. */
void nr_print_version(const char *name);

/* One failure report: the location line at level 3, the error line at
 * `level` (2 for the library, 1 for a tool's own verdict). */
void nr_report_error(const char *file, int line, int level, const char *text);

#define NR_ERROR(text) nr_report_error(__FILE__, __LINE__, 2, (text))
#define NR_ERROR_AT(level, text) nr_report_error(__FILE__, __LINE__, (level), (text))

/* ---- report field formatters ------------------------------------------ */

void nr_print_int_of_int(const char *label, int32_t a, int32_t b);
void nr_print_int2(const char *label, int32_t a, int32_t b);
void nr_print_int3(const char *label, int32_t a, int32_t b, int32_t c);
void nr_print_dims(const char *label, int32_t width, int32_t height);
void nr_print_createmodtime(const char *label, uint32_t created, uint32_t modified);
void nr_print_double(const char *label, double x);
void nr_print_d_frame_rate(const char *label, double rate);
void nr_print_d_data_rate(const char *label, double rate);
void nr_print_d_audio_format(const char *label, double rate, int32_t n, int32_t channels);
void nr_print_d_time_range(const char *label, double start, double end);
void nr_print_yesno(const char *label, int32_t flag);
void nr_print_string(const char *label, ConstStr255Param s);
void nr_print_ostype(const char *label, OSType code);
void nr_print_dimensions(const char *label, Fixed width, Fixed height);
void nr_print_time(const char *label, int32_t value, int32_t scale);
void nr_print_rate(const char *label, Fixed rate);
void nr_print_volume(const char *label, int16_t volume);
void nr_print_rect(const char *label, const Rect *rect);
void nr_print_rgn(const char *label, RgnHandle region);
void nr_print_handler(const char *label, OSType a, OSType b, ConstStr255Param name);

/* ---- argument lookup -------------------------------------------------- */

/* 1 when the key is found (value through number/text when not NULL), else 0.
 * Returned texts point into argv, or are the constant "1". */
int nr_find_arg(int argc, char *const argv[], const char *key, int32_t *number,
                const char **text);
const char *nr_find_arg_string(int argc, char *const argv[], const char *key, int32_t index,
                               const char *def);
int32_t nr_find_arg_int(int argc, char *const argv[], const char *key, int32_t index,
                        int32_t def);
double nr_find_arg_double(int argc, char *const argv[], const char *key, int32_t index,
                          double def);
OSType nr_find_arg_ostype(int argc, char *const argv[], const char *key, int32_t index,
                          OSType def);

/* ---- four-character codes --------------------------------------------- */

char *o2c(OSType code);           /* new 5-byte printable text */
OSType c2o(const char *text);     /* "...." reads as 0 */
OSType nr_last_four_chars(const char *text);

/* ---- strings and numbers ---------------------------------------------- */

char *p2c(ConstStr255Param pstr);
unsigned char *c2p(const char *cstr);
char *h2c(Handle h);
Handle c2h(const char *cstr);
Fixed d2f(double x);
double f2d(Fixed f);
char *csubstr(const char *s, int32_t start, int32_t length);
int32_t nr_map_int(int32_t v, int32_t a, int32_t b, int32_t c, int32_t d);

/* ---- settings files --------------------------------------------------- */

enum {
    kSettingsCreator = 0x7a656c6b, /* 'zelk' */
    kSettingsFileType = 0x64617461 /* 'data' */
};

int nr_file_to_atom_container(const char *path, QTAtomContainer *container);
int nr_atom_container_to_file(QTAtomContainer container, const char *path);
int nr_file_exists(const char *path);

/* ---- deep atom paths -------------------------------------------------- */

int nr_find_deep_atom(QTAtomContainer container, const char *path, QTAtom *atom,
                      int create_as_we_go);
int nr_get_deep_atom_data(QTAtomContainer container, const char *path, int32_t length,
                          void *dest);
int nr_insert_deep_atom_data_id(QTAtomContainer container, const char *path, int32_t length,
                                const void *data, QTAtomID id);
int nr_insert_deep_atom_data(QTAtomContainer container, const char *path, int32_t length,
                             const void *data);
int nr_insert_deep_atom_byte(QTAtomContainer container, const char *path, int32_t value);
int nr_insert_deep_atom_short(QTAtomContainer container, const char *path, int32_t value);
int nr_insert_deep_atom_long(QTAtomContainer container, const char *path, int32_t value);
int nr_delete_deep_atom(QTAtomContainer container, const char *path);

/* ---- movie, component and colour helpers ------------------------------ */

void nr_enter_movies(void);
Movie nr_new_movie_from_file(const char *path);
Movie nr_new_movie_from_file_x(const char *path, int16_t *fileRef, int16_t *resId);
ComponentInstance nr_open_component(OSType type, OSType subType, OSType manufacturer);
void GoGrey(int32_t level);
void GoBW(void);

/* ---- numbered file names ---------------------------------------------- */

typedef struct SequenceStuff {
    char *prefix;
    int32_t digit_count;
    int32_t modulus;
    char *suffix;
    char *format;
} SequenceStuff;

void nr_filename_to_sequence_stuff(const char *name, SequenceStuff *stuff);
char *nr_sequence_stuff_to_filename(const SequenceStuff *stuff, int32_t number);

#ifdef __cplusplus
}
#endif

#endif
