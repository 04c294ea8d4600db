// The engine's texts for its codes. Users see them, so the texts that the
// original engine used are kept word for word.
#include "error_context.h"
#include "pdx_codes.h"

namespace pdx {

const char* CodeText(pdx_code code) {
  switch (code) {
    case PDX_OK:
      return "";
    case PDX_ERR_LIBRARY_NOT_FOUND:
      return "Cannot find the engine library.";
    case PDX_ERR_LIBRARY_LOAD_FAILED:
      return "Cannot load the engine library.";
    case PDX_ERR_BOF:
      return "At beginning of table.";
    case PDX_ERR_EOF:
      return "At end of table.";
    case PDX_ERR_NO_CURRENT_RECORD:
      return "No current record.";
    case PDX_ERR_RECORD_NOT_FOUND:
      return "Could not find record.";
    case PDX_ERR_BLOB_FILE_MISSING:
      return "BLOB file is missing.";
    case PDX_ERR_LANGUAGE_DRIVER:
      return "Could not find language driver.";
    case PDX_ERR_CORRUPT_HEADER:
      return "Corrupt table/index header.";
    case PDX_ERR_CORRUPT_FILE:
      return "Corrupt file - other than header.";
    case PDX_ERR_CORRUPT_BLOB:
      return "Corrupt Memo/BLOB file.";
    case PDX_ERR_CORRUPT_INDEX:
      return "Corrupt index.";
    case PDX_ERR_CORRUPT_LOCK_FILE:
      return "Corrupt lock file.";
    case PDX_ERR_CORRUPT_VAL:
      return "Corrupt or missing .VAL file.";
    case PDX_ERR_FOREIGN_INDEX:
      return "Foreign index file format.";
    case PDX_ERR_READ:
      return "Read failure.";
    case PDX_ERR_WRITE:
      return "Write failure.";
    case PDX_ERR_DISK_FULL:
      return "Disk is full.";
    case PDX_ERR_NO_MEMORY:
      return "Insufficient memory for this operation.";
    case PDX_ERR_RECORD_TOO_BIG:
      return "Record size is too big for table.";
    case PDX_ERR_TABLE_FULL:
      return "Table is full.";
    case PDX_ERR_TOO_MANY_FIELDS:
      return "Too many fields in Table Create.";
    case PDX_ERR_KEY_VIOLATION:
      return "Key violation.";
    case PDX_ERR_MINIMUM:
      return "Minimum validity check failed.";
    case PDX_ERR_MAXIMUM:
      return "Maximum validity check failed.";
    case PDX_ERR_REQUIRED:
      return "Field value required.";
    case PDX_ERR_OUT_OF_RANGE:
      return "Number is out of range.";
    case PDX_ERR_INVALID_PARAMETER:
      return "Invalid parameter.";
    case PDX_ERR_INVALID_HANDLE:
      return "Invalid handle to the function.";
    case PDX_ERR_NOT_SUPPORTED:
      return "Capability not supported.";
    case PDX_ERR_FILE_NOT_FOUND:
      return "File does not exist.";
    case PDX_ERR_INVALID_FIELD_TYPE:
      return "Invalid field type.";
    case PDX_ERR_UNKNOWN_DATABASE:
      return "Unknown database.";
    case PDX_ERR_INVALID_PASSWORD:
      return "Invalid password given.";
    case PDX_ERR_TABLE_NOT_FOUND:
      return "Table does not exist.";
    case PDX_ERR_INVALID_FIELD_NAME:
      return "Invalid field name.";
    case PDX_ERR_INVALID_TABLE_NAME:
      return "Invalid table name.";
    case PDX_ERR_INVALID_TIME:
      return "Invalid Time.";
    case PDX_ERR_INVALID_DATE:
      return "Invalid Date.";
    case PDX_ERR_INVALID_DATETIME:
      return "Invalid Datetime";
    case PDX_ERR_ENTRY_POINT_NOT_FOUND:
      return "Cannot find an entry point of the engine library.";
    case PDX_ERR_TABLE_EXISTS:
      return "Table already exists.";
    case PDX_ERR_RECORD_LOCKED:
      return "Record locked by another user.";
    case PDX_ERR_UNLOCK_FAILED:
      return "Unlock failed.";
    case PDX_ERR_TABLE_BUSY:
      return "Table is busy.";
    case PDX_ERR_FILE_LOCKED:
      return "File is locked.";
    case PDX_ERR_ALREADY_LOCKED:
      return "Record already locked by this session.";
    case PDX_ERR_NO_EXCLUSIVE:
      return "Table cannot be opened for exclusive use.";
    case PDX_ERR_RECORD_CHANGED:
      return "Couldn't perform the edit because another user changed the record.";
    case PDX_ERR_RECORD_MOVED:
      return "Couldn't perform the edit because another user deleted or moved the record.";
    case PDX_ERR_PASSWORD_REQUIRED:
      return "Insufficient table rights for operation. Password required.";
    case PDX_ERR_DIRECTORY_READ_ONLY:
      return "This directory is read only.";
    case PDX_ERR_NOT_INITIALIZED:
      return "Engine not initialized.";
    case PDX_ERR_ALREADY_INITIALIZED:
      return "Engine already initialized.";
    case PDX_ERR_TABLE_READ_ONLY:
      return "Table is read only.";
    case PDX_ERR_INDEX_OUT_OF_DATE:
      return "Index is out of date.";
    case PDX_ERR_VAL_OUT_OF_DATE:
      return ".VAL file is out of date.";
    case PDX_ERR_HIGHER_LEVEL_REQUIRED:
      return "Higher table level required";
    case PDX_ERR_INTERFACE_VERSION:
      return "Interface version mismatch.";
    default:
      return "";
  }
}

}  // namespace pdx
