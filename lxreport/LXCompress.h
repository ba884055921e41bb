#pragma once
// Semi-splay-tree coder for stored pages. Encoder and decoder start from the
// same tree and make the same changes, so no table is stored. One coder per page.
#include <cstdint>
#include <vector>

#include "platform/classes/Streams.h"

class TLXCompress {
public:
  // Compress true makes an encoder writing to Stream, false a decoder reading from it.
  TLXCompress(TStream* Stream, bool Compress);
  // Flushes the encoder's partial byte; a decoder gives back the bytes it read ahead.
  // Errors here are swallowed: call Finish() to see them.
  ~TLXCompress();
  TLXCompress(const TLXCompress&) = delete;
  TLXCompress& operator=(const TLXCompress&) = delete;

  void Compress(uint8_t Value);
  // Raises ELXError when the stream ends inside a code.
  void Expand(uint8_t& Value);
  void CompressBuffer(const uint8_t* Data, size_t Count);
  void ExpandBuffer(uint8_t* Data, size_t Count);
  // Encoder: writes the last partial byte. Decoder: seeks back over bytes read
  // ahead, so the stream stands right after the last coded byte it used.
  void Finish();

private:
  void Splay(int Symbol);
  void EmitBit(bool Bit);
  bool NextBit();
  void FlushOut();

  TStream* FStream;
  bool FCompressFlag;
  bool FFinished = false;
  uint8_t FBitPos;
  uint16_t FOutByte = 0;
  uint16_t FInByte = 0;
  uint16_t FUp[513];
  uint16_t FLeft[256];
  uint16_t FRight[256];
  // The coder thinks in single bytes; the stream is reached in blocks.
  std::vector<uint8_t> FBuf;
  size_t FBufPos = 0;
};
