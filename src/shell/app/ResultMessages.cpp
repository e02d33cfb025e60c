#include "shell/app/ResultMessages.h"

#include "language/LanguageManager.h"
#include "language/TextFormat.h"
#include "language/TextIds.h"

namespace vandrel {
namespace {

constexpr MessageIcon Warning = MessageIcon::Warning;
constexpr MessageIcon Stop = MessageIcon::Error;
constexpr MessageIcon Information = MessageIcon::Information;

QString formatted(const LanguageManager& language, int textId, const QString& argument) {
    const FormatArg arg(argument);
    return FormatText(language.Text(textId), std::span(&arg, 1));
}

// Why an operation stopped, as a part of a sentence.
QString reason(const OperationResult& result, const LanguageManager& language) {
    switch (result.outcome) {
    case Outcome::GaveUp:
        return language.Text(text::ReasonNoAnswer);
    case Outcome::CutShortByRestart:
        return language.Text(text::ReasonRestart);
    case Outcome::LinkLost:
        return language.Text(text::ReasonPortGone);
    case Outcome::Refused:
    case Outcome::PasswordRefused:
        return formatted(language, text::ReasonRefusedFormat,
                         QString::fromStdString(result.status));
    case Outcome::FileError:
        return language.Text(text::ReasonFileNotWritten);
    case Outcome::PasswordCancelled:
        return language.Text(text::ReasonPasswordCancelled);
    default:
        return QString();
    }
}

ResultMessage error(int textId, QStringList args = {}) {
    return {textId, text::CaptionError, Warning, std::move(args)};
}

std::optional<ResultMessage> flashLoading(const OperationResult& result,
                                          const LanguageManager& language) {
    const QString percent = QString::number(result.percent);
    switch (result.outcome) {
    case Outcome::Done:
        return ResultMessage{text::FlashLoadDone, text::CaptionDone, Information, {}};
    case Outcome::Refused:
    case Outcome::Cancelled:
        return error(text::FlashLoadFailed);
    case Outcome::CutShortByRestart:
        if (result.restart == RestartKind::LoaderWaitsForFirmware) {
            return error(text::LoadingStoppedWaitsFormat, {percent, reason(result, language)});
        }
        return error(text::LoadingStoppedFormat, {percent, reason(result, language)});
    case Outcome::GaveUp:
    case Outcome::LinkLost:
    case Outcome::FileError:
        return error(text::LoadingStoppedFormat, {percent, reason(result, language)});
    default:
        return std::nullopt;
    }
}

std::optional<ResultMessage> flashDownloading(const OperationResult& result,
                                              const LanguageManager& language) {
    switch (result.outcome) {
    case Outcome::Done:
        return ResultMessage{text::FlashDownloadDone, text::CaptionDone, Information, {}};
    case Outcome::Refused:
        return error(text::FlashDownloadFailed);
    case Outcome::GaveUp:
    case Outcome::LinkLost:
    case Outcome::FileError:
    case Outcome::CutShortByRestart:
        return error(text::DownloadStoppedFormat,
                     {QString::number(result.percent), reason(result, language)});
    default:
        return std::nullopt; // cancelled by the user, or the password question
    }
}

std::optional<ResultMessage> configWrite(const OperationResult& result,
                                         const ResultContext& context,
                                         const LanguageManager& language) {
    if (result.outcome != Outcome::Done) {
        // Cut short in the middle: part of the configuration may be on the converter.
        return error(text::WriteStoppedFormat, {reason(result, language)});
    }
    switch (result.readBack) {
    case ReadBack::NotAsked:
        return ResultMessage{text::WriteDone, text::CaptionDone, Information, {}};
    case ReadBack::Identical:
        return ResultMessage{text::WriteVerified, text::CaptionDone, Information, {}};
    case ReadBack::Differs: {
        const QString field = context.nameField ? context.nameField(result.firstDifference)
                                                : QString::number(result.firstDifference);
        return error(text::WriteDiffersFormat, {field});
    }
    case ReadBack::Failed: {
        OperationResult why;
        why.outcome = result.readBackOutcome.value_or(Outcome::GaveUp);
        why.status = result.status;
        return error(text::WriteUncheckedFormat, {reason(why, language)});
    }
    }
    return std::nullopt;
}

} // namespace

std::optional<ResultMessage> resultMessage(const OperationResult& result,
                                           const ResultContext& context,
                                           const LanguageManager& language) {
    if (result.outcome == Outcome::Replaced || result.outcome == Outcome::PasswordCancelled) {
        return std::nullopt;
    }
    switch (result.kind) {
    case OperationKind::FlashLoading:
        return flashLoading(result, language);
    case OperationKind::FlashDownloading:
        return flashDownloading(result, language);
    case OperationKind::ConfigWrite:
        if (result.outcome == Outcome::Done ||
            (!result.written && (result.outcome == Outcome::CutShortByRestart ||
                                 result.outcome == Outcome::LinkLost))) {
            return configWrite(result, context, language);
        }
        if (result.outcome == Outcome::CutShortByRestart) {
            return std::nullopt; // written; the loader that waits for firmware asks next
        }
        break; // refused or unanswered: as every other request
    case OperationKind::ConfigRead:
        if (result.outcome == Outcome::Done) {
            if (result.systemInfoOutcome == Outcome::GaveUp) {
                return ResultMessage{text::NoAnswer, text::CaptionError, Stop, {}};
            }
            return std::nullopt;
        }
        if (result.outcome == Outcome::CutShortByRestart || result.outcome == Outcome::LinkLost) {
            return error(text::ReadStoppedFormat, {reason(result, language)});
        }
        break;
    case OperationKind::PasswordChange:
    case OperationKind::SystemInfo:
        return std::nullopt; // the change-password dialog tells its own; nobody asks for this
    case OperationKind::MonitorSwitch:
    case OperationKind::MonitorCommand:
        if (result.outcome == Outcome::CutShortByRestart || result.outcome == Outcome::LinkLost) {
            return std::nullopt; // the log and the status say it; monitoring comes back
        }
        break;
    case OperationKind::Reset:
    case OperationKind::LoaderWait:
        if (result.outcome == Outcome::CutShortByRestart) {
            return std::nullopt; // the loader asks for firmware: that question follows
        }
        break;
    case OperationKind::None:
        return std::nullopt;
    }
    switch (result.outcome) {
    case Outcome::Refused:
    case Outcome::PasswordRefused:
        return error(text::DeviceRefusedFormat, {QString::fromStdString(result.status)});
    case Outcome::GaveUp:
        if (context.loaderTimedOut) {
            return ResultMessage{text::LoaderNoAnswer, text::CaptionError, Stop, {}};
        }
        if (context.restartAwaited) {
            return ResultMessage{text::RestartTimedOut, text::CaptionError, Stop, {}};
        }
        return ResultMessage{text::NoAnswer, text::CaptionError, Stop, {}};
    case Outcome::LinkLost:
        return ResultMessage{text::LinkLost, text::CaptionError, Stop, {}};
    case Outcome::CutShortByRestart:
        return error(text::OperationStoppedFormat, {reason(result, language)});
    default:
        return std::nullopt;
    }
}

} // namespace vandrel
