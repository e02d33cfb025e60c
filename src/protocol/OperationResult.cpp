#include "protocol/OperationResult.h"

namespace vandrel {

const char* outcomeName(Outcome outcome) {
    switch (outcome) {
    case Outcome::Done:
        return "done";
    case Outcome::Refused:
        return "refused by the converter";
    case Outcome::GaveUp:
        return "no answer from the converter";
    case Outcome::Cancelled:
        return "cancelled";
    case Outcome::PasswordCancelled:
        return "password question cancelled";
    case Outcome::PasswordRefused:
        return "password refused by the converter";
    case Outcome::CutShortByRestart:
        return "cut short by a restart of the converter";
    case Outcome::LinkLost:
        return "the serial link was lost";
    case Outcome::FileError:
        return "file error";
    case Outcome::Replaced:
        return "replaced by another operation";
    }
    return "unknown";
}

} // namespace vandrel
