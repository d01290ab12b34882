#include "BootLoaderBlocks.h"

#include "ProgrammingMessages.h"
#include "SerialPort.h"

namespace {

bool WriteBlockNumber(SerialPort& port, std::uint16_t number) {
  const std::uint8_t bytes[2] = {static_cast<std::uint8_t>(number >> 8),
                                 static_cast<std::uint8_t>(number & 0xFF)};
  return port.Write(bytes, 2);
}

}  // namespace

ImageBlock CopyImageBlock(const HexImage& image, std::size_t number) {
  ImageBlock block;
  const auto source = image.Block(number);
  for (std::size_t i = 0; i < block.bytes.size(); ++i) {
    block.bytes[i] = source[i];
    block.sum = static_cast<std::uint8_t>(block.sum + source[i]);
    if (source[i] != BootLoader::kBlankByte) block.blank = false;
  }
  return block;
}

BlockTransferResult SendImageBlock(SerialPort& port, const HexImage& image, std::uint16_t number,
                                   const std::function<void()>& beforeData, std::uint8_t* answer) {
  port.PurgeRx();
  port.PurgeTx();
  if (!WriteBlockNumber(port, number)) return BlockTransferResult::NumberNotWritten;
  const ImageBlock block = CopyImageBlock(image, number);
  if (block.blank) return BlockTransferResult::SentBlank;
  if (beforeData) beforeData();
  if (!port.Write(block.bytes.data(), static_cast<int>(block.bytes.size())) ||
      !port.Write(&block.sum, 1)) {
    return BlockTransferResult::DataNotWritten;
  }
  std::uint8_t received = 0;
  if (!port.ReadByte(received)) return BlockTransferResult::NoAnswer;
  if (answer != nullptr) *answer = received;
  if (received == BootLoader::kBlockAccepted) return BlockTransferResult::Accepted;
  if (received == BootLoader::kBlockRejected) return BlockTransferResult::Rejected;
  return BlockTransferResult::UnexpectedAnswer;
}

unsigned BlockFailureMessage(BlockTransferResult result) {
  switch (result) {
    case BlockTransferResult::NumberNotWritten:
    case BlockTransferResult::DataNotWritten:
      return ProgrammingMessage::kTransmissionError;
    case BlockTransferResult::NoAnswer:
      return ProgrammingMessage::kNoAnswer;
    case BlockTransferResult::Rejected:
      return ProgrammingMessage::kWrongDataOrChecksum;
    case BlockTransferResult::UnexpectedAnswer:
    case BlockTransferResult::Accepted:
    case BlockTransferResult::SentBlank:
      break;
  }
  return 0;
}

bool SendEndMarkers(SerialPort& port) {
  for (int i = 0; i < BootLoader::kEndMarkerWrites; ++i) {
    if (!WriteBlockNumber(port, BootLoader::kEndMarkerNumber)) return false;
  }
  return true;
}
