#include "FirmwareImages.h"

HexImage smImage{ByteOrder::Natural};
HexImage bmImage{ByteOrder::PairSwapped};
bool smFileLoaded = false;
bool bmFileLoaded = false;
