#include "acquisition/Device.h"

namespace tavrel {

Message StartFailureMessage(StartFailure failure) {
    switch (failure) {
    case StartFailure::Detection:
        return {MessageId::CardDetectionError};
    case StartFailure::Channels:
        return {MessageId::CardChannelsError};
    case StartFailure::Rate:
        return {MessageId::CardRateError};
    case StartFailure::Ring:
        return {MessageId::CardRingError};
    case StartFailure::Start:
        return {MessageId::CardStartError};
    case StartFailure::None:
        break;
    }
    return Verbatim({});
}

} // namespace tavrel
