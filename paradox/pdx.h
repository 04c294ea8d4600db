/*
 * The Paradox table store: its whole public interface.
 *
 * The store is a shared library that the program loads at run time and binds
 * entry point by entry point (see PDX_API_FUNCTIONS below). Every call answers
 * a 16-bit engine code: 0 for success, otherwise one of the codes of
 * pdx_codes.h, whose text (and context lines naming the file, table or field
 * concerned) pdx_last_error() gives until the next failing call on the same
 * thread.
 *
 * Handles are opaque. A session owns its cursors: closing a session closes
 * every cursor opened in it. The store is not thread-safe; one thread uses a
 * session and its cursors at a time.
 *
 * Rows travel in record buffers owned by the caller, pdx_cursor_info's
 * record_size bytes long, holding a row in the table's own record layout.
 * Field values are read from and written into such a buffer with the
 * pdx_get_* and pdx_put_* calls; the caller never decodes the bytes itself.
 *
 * Text is 8-bit, in the table's code page, never converted.
 */
#ifndef PDX_H
#define PDX_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

#define PDX_INTERFACE_VERSION 401

typedef uint16_t pdx_code;
typedef struct pdx_session pdx_session;
typedef struct pdx_cursor pdx_cursor;

/* Open modes of pdx_table_open. */
enum {
  PDX_OPEN_READ_ONLY = 0,
  PDX_OPEN_READ_WRITE = 1,
  PDX_OPEN_EXCLUSIVE = 2 /* with READ_WRITE: no other program may open it */
};

typedef struct pdx_cursor_info {
  int level;            /* table level times ten: 30, 35, 40, 50 or 70 */
  int file_type;        /* header byte 0x04: 0 keyed, 2 unkeyed */
  int record_size;      /* bytes of one record buffer */
  int64_t record_count; /* rows in the table (in the range, when one is set) */
  int block_size;       /* bytes */
  int code_page;        /* 0 when the table names none */
  int encrypted;        /* 1 when the table is password protected */
  int field_count;
  int key_field_count; /* leading fields that make the primary key; 0 unkeyed */
  int32_t next_auto_increment;
  int read_only; /* opened read-only, or the files cannot be written */
  char sort_order[32];
  char table_name[80]; /* as stored in the header */
  int sort_order_code; /* header byte 0x29, the only sort-order mark of level 3 */
  /* The code page the engine configuration sets for the table's alias (a line
   * CODEPAGE=N in the alias's own section), for tables whose text is in
   * another code page than their header says; 0 when none is set. */
  int configured_code_page;
  /* Why the store will not change this table (empty when it will): its
   * keys follow a collation the store cannot reproduce, its validity checks
   * are unreadable, a secondary index is out of date, ... Such a table opens
   * read-only whatever the mode asked for. */
  char read_only_reason[256];
} pdx_cursor_info;

typedef struct pdx_field_desc {
  int number;    /* 1-based */
  char name[64]; /* 8-bit, NUL-terminated */
  char type;     /* 'A','D','S','I','$','N','L','M','B','F','O','G','T','@','+','#','Y' */
  int size;      /* as the user declares it: A20 -> 20, M10 -> 10, #2 -> 2, 0 for fixed types */
  int offset;    /* byte offset in the record buffer */
  int length;    /* bytes in the record buffer */
} pdx_field_desc;

/* One field's validity check (.VAL). The texts are in the dump format of
 * pdx_get_text, empty when not set. */
typedef struct pdx_check_desc {
  int field_number; /* 1-based */
  int required;
  int has_minimum, has_maximum, has_default;
  char minimum[64];
  char maximum[64];
  char default_value[64];
  char picture[256];
} pdx_check_desc;

/* ---- Engine and sessions ------------------------------------------------ */

/* Starts the engine. version must be PDX_INTERFACE_VERSION or lower; the
 * language code is "0009" for English. Answers PDX_ERR_ALREADY_INITIALIZED
 * (10759) when already started, which callers treat as success. */
pdx_code pdx_init(uint16_t version, const char* language);
/* Closes every session and cursor, then stops the engine. */
pdx_code pdx_exit(void);

/* The text of the last failing call's code, then one line per context (the
 * file, table or field concerned), each line ended by '\n' except the last.
 * Copies at most size-1 bytes and a NUL. *code, when given, receives the code. */
pdx_code pdx_last_error(pdx_code* code, char* text, size_t size);
/* The engine's text for any code (no context lines); empty for an unknown one. */
pdx_code pdx_code_text(pdx_code code, char* text, size_t size);

pdx_code pdx_session_open(const char* name, pdx_session** session);
pdx_code pdx_session_close(pdx_session* session);
pdx_code pdx_session_add_password(pdx_session* session, const char* password);
pdx_code pdx_session_remove_password(pdx_session* session, const char* password);
pdx_code pdx_session_remove_all_passwords(pdx_session* session);

/* The directory an alias names, from the engine's configuration file (the
 * file named by the environment variable PDX_CONFIG, else "engine.cfg" beside
 * the library): a section [Aliases] with lines NAME=DIRECTORY. Alias names
 * compare without regard to case. A section named after an alias may hold
 * CODEPAGE=N, the code page of its tables' text (see pdx_cursor_info). Answers PDX_ERR_UNKNOWN_DATABASE when the
 * alias is not there. */
pdx_code pdx_alias_path(pdx_session* session, const char* alias, char* path, size_t size);

/* ---- Tables ------------------------------------------------------------- */

/* database is an alias, or a directory when it contains a '/'. The table name
 * may omit ".DB"; file names are matched without regard to case. Opening a
 * protected table answers PDX_ERR_PASSWORD_REQUIRED unless the session holds
 * its password. The cursor starts before the first row. */
pdx_code pdx_table_open(pdx_session* session, const char* database, const char* table, int mode,
                        pdx_cursor** cursor);
pdx_code pdx_cursor_close(pdx_cursor* cursor);

/* Creates a table from a schema text (one field per line: name, tab, type
 * with size, '*' for a key field; optional lines "level 5.0", "blocksize
 * 4096", "password SECRET", "check NAME required|min V|max V|default V|picture
 * P"). Fails with PDX_ERR_TABLE_EXISTS when the table exists. */
pdx_code pdx_table_create(pdx_session* session, const char* database, const char* table,
                          const char* schema);
/* Deletes the table and its companion files. */
pdx_code pdx_table_delete(pdx_session* session, const char* database, const char* table);

pdx_code pdx_cursor_info_get(pdx_cursor* cursor, pdx_cursor_info* info);
pdx_code pdx_field_desc_get(pdx_cursor* cursor, int field_number, pdx_field_desc* desc);
/* Validity checks: *count of them, then each by 0-based index. */
pdx_code pdx_check_count(pdx_cursor* cursor, int* count);
pdx_code pdx_check_desc_get(pdx_cursor* cursor, int index, pdx_check_desc* desc);

/* ---- Moving ------------------------------------------------------------- */

/* Before the first row / after the last row. */
pdx_code pdx_set_to_begin(pdx_cursor* cursor);
pdx_code pdx_set_to_end(pdx_cursor* cursor);
/* Moves one row and copies it into record (which may be NULL). Answer
 * PDX_ERR_EOF / PDX_ERR_BOF, leaving the cursor after the last / before the
 * first row, when there is none. */
pdx_code pdx_next(pdx_cursor* cursor, void* record);
pdx_code pdx_prior(pdx_cursor* cursor, void* record);
/* Copies the current row; PDX_ERR_NO_CURRENT_RECORD off a row. */
pdx_code pdx_get_record(pdx_cursor* cursor, void* record);
/* 1-based position in table order (within the range, when one is set). */
pdx_code pdx_set_to_record_number(pdx_cursor* cursor, int64_t number);
pdx_code pdx_get_record_number(pdx_cursor* cursor, int64_t* number);
pdx_code pdx_get_record_count(pdx_cursor* cursor, int64_t* count);

/* Keyed tables: moves to the first row whose key is at or after the key held
 * in the leading fields of record. field_count leading key fields take part;
 * when prefix_length > 0 the last of them is an alpha field compared on its
 * first prefix_length bytes only. The cursor ends on that row, or after the
 * last row (PDX_ERR_EOF) when there is none. */
pdx_code pdx_find_nearest(pdx_cursor* cursor, const void* record, int field_count,
                          int prefix_length);
/* Limits the cursor to the rows whose key lies between low and high (each a
 * record buffer with its leading key fields set, or NULL for no bound), with
 * field counts and prefix lengths as for pdx_find_nearest. The cursor moves
 * before the first row of the range. */
pdx_code pdx_set_range(pdx_cursor* cursor, const void* low, int low_fields, int low_prefix,
                       int low_inclusive, const void* high, int high_fields, int high_prefix,
                       int high_inclusive);
pdx_code pdx_reset_range(pdx_cursor* cursor);

/* Bookmarks: bookmark_size bytes the caller keeps; a bookmark stays valid
 * while its row exists. Compare answers -1, 0 or 1 in *order. */
pdx_code pdx_bookmark_size(pdx_cursor* cursor, int* size);
pdx_code pdx_get_bookmark(pdx_cursor* cursor, void* bookmark);
pdx_code pdx_set_to_bookmark(pdx_cursor* cursor, const void* bookmark);
pdx_code pdx_compare_bookmarks(pdx_cursor* cursor, const void* a, const void* b, int* order);

/* Re-reads the table's files so that rows written by other programs show. */
pdx_code pdx_refresh(pdx_cursor* cursor);

/* ---- Field values --------------------------------------------------------
 * field_number is 1-based. A blank field answers *blank = 1 and a zero value.
 * Dates are day numbers (1 = 0001-01-01, proleptic Gregorian), times are
 * milliseconds since midnight, timestamps milliseconds since the start of day
 * 0 (day number * 86400000 + time). */

pdx_code pdx_is_blank(pdx_cursor* cursor, const void* record, int field_number, int* blank);
/* The value in the dump format of the pdx tool (documented in dump-format.md):
 * A text as stored and M/F memo text, both escaped; numbers, dates and times
 * formatted; bytes and blobs as hex. *length receives the full length even
 * when size is too small, and the text is cut (NUL-terminated) at size-1. */
pdx_code pdx_get_text(pdx_cursor* cursor, const void* record, int field_number, char* text,
                      size_t size, size_t* length);
pdx_code pdx_get_int(pdx_cursor* cursor, const void* record, int field_number, int64_t* value,
                     int* blank); /* S I + L D T */
pdx_code pdx_get_double(pdx_cursor* cursor, const void* record, int field_number, double* value,
                        int* blank); /* N $ @ #, and the integer types */
/* Alpha and bytes fields: the stored bytes without trailing NULs. */
pdx_code pdx_get_bytes(pdx_cursor* cursor, const void* record, int field_number, void* data,
                       size_t size, size_t* length);
/* Blobs (M B F O G): the whole length, then a piece from offset. */
pdx_code pdx_blob_size(pdx_cursor* cursor, const void* record, int field_number, size_t* size);
pdx_code pdx_blob_read(pdx_cursor* cursor, const void* record, int field_number, size_t offset,
                       void* data, size_t size, size_t* read);

/* Writes into a record buffer only; nothing reaches the table before
 * pdx_insert_record or pdx_modify_record. pdx_put_text parses the dump
 * format (memo text of any length, blobs as hex); an unparsable or
 * out-of-range value answers PDX_ERR_OUT_OF_RANGE (or the date/time codes)
 * and leaves the buffer as it was. pdx_put_bytes takes alpha and bytes
 * fields, and blob fields (M B F O G) as pdx_blob_write does. */
pdx_code pdx_init_record(pdx_cursor* cursor, void* record); /* blank, with defaults */
pdx_code pdx_put_blank(pdx_cursor* cursor, void* record, int field_number);
pdx_code pdx_put_text(pdx_cursor* cursor, void* record, int field_number, const char* text,
                      size_t length);
pdx_code pdx_put_int(pdx_cursor* cursor, void* record, int field_number, int64_t value);
pdx_code pdx_put_double(pdx_cursor* cursor, void* record, int field_number, double value);
pdx_code pdx_put_bytes(pdx_cursor* cursor, void* record, int field_number, const void* data,
                       size_t length);
/* Sets a blob's whole value; it is stored by the next insert or modify of
 * this buffer and dropped when the buffer is reused without one (filled by
 * pdx_next, pdx_prior, pdx_get_record, pdx_lock_record or pdx_init_record).
 * Until then the pdx_get_text / pdx_blob_* calls read it from the buffer. A
 * value stored by an insert or modify is no longer held by the buffer: read
 * the row again before changing it once more. */
pdx_code pdx_blob_write(pdx_cursor* cursor, void* record, int field_number, const void* data,
                        size_t length);

/* ---- Writing -------------------------------------------------------------
 * Each call below happens whole or not at all, also across a crash. */

/* Takes a row lock on the current row (other programs then get
 * PDX_ERR_RECORD_LOCKED on it) and copies the row, re-read, into record. */
pdx_code pdx_lock_record(pdx_cursor* cursor, void* record);
pdx_code pdx_unlock_record(pdx_cursor* cursor);
/* Inserts the row (in key order on a keyed table, at the end otherwise); the
 * cursor ends on it. */
pdx_code pdx_insert_record(pdx_cursor* cursor, const void* record);
/* Replaces the current row and releases its row lock; the cursor follows the
 * row when its key changed. */
pdx_code pdx_modify_record(pdx_cursor* cursor, const void* record);
/* Deletes the current row; the cursor ends on the row after it. */
pdx_code pdx_delete_record(pdx_cursor* cursor);

/* Every entry point, for the loader that binds them by name. */
#define PDX_API_FUNCTIONS(X)     \
  X(pdx_init)                    \
  X(pdx_exit)                    \
  X(pdx_last_error)              \
  X(pdx_code_text)               \
  X(pdx_session_open)            \
  X(pdx_session_close)           \
  X(pdx_session_add_password)    \
  X(pdx_session_remove_password) \
  X(pdx_session_remove_all_passwords) \
  X(pdx_alias_path)              \
  X(pdx_table_open)              \
  X(pdx_cursor_close)            \
  X(pdx_table_create)            \
  X(pdx_table_delete)            \
  X(pdx_cursor_info_get)         \
  X(pdx_field_desc_get)          \
  X(pdx_check_count)             \
  X(pdx_check_desc_get)          \
  X(pdx_set_to_begin)            \
  X(pdx_set_to_end)              \
  X(pdx_next)                    \
  X(pdx_prior)                   \
  X(pdx_get_record)              \
  X(pdx_set_to_record_number)    \
  X(pdx_get_record_number)       \
  X(pdx_get_record_count)        \
  X(pdx_find_nearest)            \
  X(pdx_set_range)               \
  X(pdx_reset_range)             \
  X(pdx_bookmark_size)           \
  X(pdx_get_bookmark)            \
  X(pdx_set_to_bookmark)         \
  X(pdx_compare_bookmarks)       \
  X(pdx_refresh)                 \
  X(pdx_is_blank)                \
  X(pdx_get_text)                \
  X(pdx_get_int)                 \
  X(pdx_get_double)              \
  X(pdx_get_bytes)               \
  X(pdx_blob_size)               \
  X(pdx_blob_read)               \
  X(pdx_init_record)             \
  X(pdx_put_blank)               \
  X(pdx_put_text)                \
  X(pdx_put_int)                 \
  X(pdx_put_double)              \
  X(pdx_put_bytes)               \
  X(pdx_blob_write)              \
  X(pdx_lock_record)             \
  X(pdx_unlock_record)           \
  X(pdx_insert_record)           \
  X(pdx_modify_record)           \
  X(pdx_delete_record)

#ifdef __cplusplus
}
#endif

#endif /* PDX_H */
