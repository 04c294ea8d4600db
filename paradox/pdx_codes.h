/*
 * Engine codes of the table store: category * 256 + subcode, as the
 * format notes list them. Each code's English text lives in codes.cpp; the
 * program shows these texts to users, so they are kept exactly.
 */
#ifndef PDX_CODES_H
#define PDX_CODES_H

enum {
  PDX_OK = 0,

  /* $21 system and loading */
  PDX_ERR_LIBRARY_NOT_FOUND = 0x2108,   /* 8456, reported by the loader */
  PDX_ERR_LIBRARY_LOAD_FAILED = 0x2109, /* 8457, reported by the loader */

  /* $22 not found */
  PDX_ERR_BOF = 0x2201,               /* At beginning of table. */
  PDX_ERR_EOF = 0x2202,               /* At end of table. */
  PDX_ERR_NO_CURRENT_RECORD = 0x2205, /* No current record. */
  PDX_ERR_RECORD_NOT_FOUND = 0x2206,  /* Could not find record. */
  PDX_ERR_BLOB_FILE_MISSING = 0x220A,
  PDX_ERR_LANGUAGE_DRIVER = 0x220B,

  /* $23 data corruption */
  PDX_ERR_CORRUPT_HEADER = 0x2301,
  PDX_ERR_CORRUPT_FILE = 0x2302,
  PDX_ERR_CORRUPT_BLOB = 0x2303,
  PDX_ERR_CORRUPT_INDEX = 0x2305,
  PDX_ERR_CORRUPT_LOCK_FILE = 0x2306,
  PDX_ERR_CORRUPT_VAL = 0x2308,
  PDX_ERR_FOREIGN_INDEX = 0x2309,

  /* $24 input/output */
  PDX_ERR_READ = 0x2401,    /* Read failure. */
  PDX_ERR_WRITE = 0x2402,   /* Write failure. */
  PDX_ERR_DISK_FULL = 0x2404, /* Disk is full. */

  /* $25 resources and limits */
  PDX_ERR_NO_MEMORY = 0x2501, /* 9473 */
  PDX_ERR_RECORD_TOO_BIG = 0x2505,
  PDX_ERR_TABLE_FULL = 0x2507,
  PDX_ERR_TOO_MANY_FIELDS = 0x2514,

  /* $26 integrity */
  PDX_ERR_KEY_VIOLATION = 0x2601,
  PDX_ERR_MINIMUM = 0x2602,
  PDX_ERR_MAXIMUM = 0x2603,
  PDX_ERR_REQUIRED = 0x2604,

  /* $27 invalid request */
  PDX_ERR_OUT_OF_RANGE = 0x2701,  /* Number is out of range. */
  PDX_ERR_INVALID_PARAMETER = 0x2702,
  PDX_ERR_INVALID_HANDLE = 0x2706,
  PDX_ERR_NOT_SUPPORTED = 0x270B,
  PDX_ERR_FILE_NOT_FOUND = 0x2704,
  PDX_ERR_INVALID_FIELD_TYPE = 0x2710,
  PDX_ERR_UNKNOWN_DATABASE = 0x271E,
  PDX_ERR_INVALID_PASSWORD = 0x271F,
  PDX_ERR_TABLE_NOT_FOUND = 0x2728,
  PDX_ERR_INVALID_FIELD_NAME = 0x2736,
  PDX_ERR_INVALID_TABLE_NAME = 0x2737,
  PDX_ERR_INVALID_TIME = 0x274A,
  PDX_ERR_INVALID_DATE = 0x274B,
  PDX_ERR_INVALID_DATETIME = 0x274C,
  PDX_ERR_ENTRY_POINT_NOT_FOUND = 0x274F, /* 10063, reported by the loader */
  PDX_ERR_TABLE_EXISTS = 0x2750,          /* Table already exists. */

  /* $28 locking */
  PDX_ERR_RECORD_LOCKED = 0x2801,
  PDX_ERR_UNLOCK_FAILED = 0x2802,
  PDX_ERR_TABLE_BUSY = 0x2803,
  PDX_ERR_FILE_LOCKED = 0x2805,
  PDX_ERR_ALREADY_LOCKED = 0x2807,
  PDX_ERR_NO_EXCLUSIVE = 0x280D,
  PDX_ERR_RECORD_CHANGED = 0x2813,
  PDX_ERR_RECORD_MOVED = 0x2814,

  /* $29 access */
  PDX_ERR_PASSWORD_REQUIRED = 0x2902, /* 10498 */
  PDX_ERR_DIRECTORY_READ_ONLY = 0x2904,

  /* $2A invalid context */
  PDX_ERR_NOT_INITIALIZED = 0x2A06,     /* 10758 */
  PDX_ERR_ALREADY_INITIALIZED = 0x2A07, /* 10759, counts as success */
  PDX_ERR_TABLE_READ_ONLY = 0x2A0B,

  /* $2F version */
  PDX_ERR_INDEX_OUT_OF_DATE = 0x2F02,
  PDX_ERR_VAL_OUT_OF_DATE = 0x2F04,
  PDX_ERR_HIGHER_LEVEL_REQUIRED = 0x2F08,
  PDX_ERR_INTERFACE_VERSION = 0x2F01
};

#endif /* PDX_CODES_H */
