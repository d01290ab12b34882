#include "CancelRequest.h"

CancelRequest theCancelRequest;
