// The cipher of password-protected tables and the checksum of a password.
//
// A protected table stores only the checksum of its master password; the
// data is scrambled in 256-byte chunks under the checksum's low 16 bits. Data
// and index blocks (never the file header) are scrambled per block, with the
// block's physical number mixed in; the blob file is scrambled whole, every
// chunk alike. Reading therefore needs only the stored checksum: the password
// check is advisory, which is how the format was designed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace pdx {

inline constexpr size_t kCipherChunk = 256;

// The checksum a table header stores for password; 0 for an empty one (no
// protection). Case-sensitive: the password's bytes are used as they are.
uint32_t PasswordChecksum(std::string_view password);

// Data and index blocks: block_number is the 1-based physical block number
// and size a multiple of kCipherChunk (block sizes always are). A tail
// shorter than one chunk is left as it is.
void DecryptBlock(uint32_t key, uint32_t block_number, uint8_t* data, size_t size);
void EncryptBlock(uint32_t key, uint32_t block_number, uint8_t* data, size_t size);

// The blob file: every chunk is treated alike, so any run of whole chunks
// starting at a multiple of kCipherChunk in the file can be handled alone.
void DecryptBlobChunks(uint32_t key, uint8_t* data, size_t size);
void EncryptBlobChunks(uint32_t key, uint8_t* data, size_t size);

}  // namespace pdx
