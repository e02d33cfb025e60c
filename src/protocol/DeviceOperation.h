#pragma once

#include "protocol/OperationContext.h"
#include "protocol/OperationResult.h"
#include "protocol/ProtocolFrame.h"
#include "protocol/SessionTypes.h"

#include <optional>
#include <string>

// One running device operation. It owns its request data, its step, its re-sends and its
// answers, and ends exactly once with a typed result.
//
// The answer policy is written here, once, for every operation: each step is sent with its
// time-out; a time-out or a refusal re-sends it up to three times, then the operation gives up
// or is refused; status 0x9E asks the host for the password and waits, with no timer, for the
// answer; an answer to a step that was sent more than once and does not name its step is taken,
// but the next step waits until every copy has been answered or one more time-out has passed,
// so that a late answer can never be taken for the next step.
namespace vandrel {

// What an operation does with a restart event of the converter.
enum class RestartReply {
    GoesOn,       // it took the event and has sent what follows
    Ended,        // it ended; the session treats the event as it would with no operation
    EndedHandled, // it ended and the event needs nothing more
};

class DeviceOperation {
public:
    DeviceOperation(OperationContext& context, OperationKind kind) : ctx_(context), kind_(kind) {}
    virtual ~DeviceOperation() = default;
    DeviceOperation(const DeviceOperation&) = delete;
    DeviceOperation& operator=(const DeviceOperation&) = delete;

    OperationKind kind() const { return kind_; }
    virtual SessionState state() const = 0;
    bool ended() const { return ended_; }
    int retries() const { return retries_; }
    bool waitingForPassword() const { return paused_; }

    // --- Starting: `prepare` checks what the operation needs before anything is sent (the link,
    // its files) and changes nothing when it answers false; `begin` sends the first request.
    virtual bool prepare() { return ctx_.ensureLink(); }
    virtual void begin() = 0;

    // --- What reaches a running operation.
    // A frame that is not a restart event; true when it was this operation's.
    bool onFrame(const ProtocolFrame& frame);
    void onTimeout();
    virtual RestartReply onRestart(RestartKind kind);
    void answerPassword(bool entered);
    virtual void cancel();
    virtual void linkLost();
    // Another operation was started over this one.
    void replace();

protected:
    // --- For the steps of the operation.
    // The state the session reports while the step is outstanding.
    // Sends the step outstanding: a new step (`repeat` false) or a re-send of it.
    void sendStep(bool repeat);
    // The next step, after a good answer: when the link is still there.
    void nextStep();
    // The step again, after a time-out or a refusal: when the link is still there.
    void resend();
    // A positive answer to the step outstanding arrived; false when it must be dropped (a
    // duplicate, or the operation waits for the password).
    bool takeAnswer();
    // The answer's data is used: go on to the next step, unless copies of this step may still
    // be answered without naming it (then one time-out, or their answers, first).
    void answered(bool namedItsStep);
    // Nothing is outstanding but the converter's next event: when the timer runs out the
    // operation gives up.
    void waitFor(int milliseconds);

    // --- What each operation provides.
    // Builds, traces and sends the request of the step outstanding, with its progress report.
    virtual void emitRequest(bool repeat) = 0;
    virtual int timeoutMs() const = 0;
    // The step's own answers (positive ones; refusals go through the policy).
    virtual bool handleAnswer(const ProtocolFrame& frame) = 0;
    // The next step after an answer was taken.
    virtual void advance() = 0;
    // Whether status 0x9E asks for the password in the step outstanding.
    virtual bool asksPassword() const { return false; }
    // The progress code that carries the operation's end (results 2 and 5).
    virtual SessionProgress endCode() const = 0;
    // A refusal that is not an answer to a step (nothing outstanding, the loader runs): true
    // when the operation took it itself and the policy must not see it.
    virtual bool takesRefusalItself(const ProtocolFrame& frame);
    // A refusal of the step, its timer stopped: true when the operation ended or went on by a
    // rule of its own; false leaves it to the policy (password question, re-send, refusal).
    virtual bool onRefusal(const ProtocolFrame& frame);
    // The user cancelled the password question. Default: (end code, 5), PasswordCancelled.
    virtual void passwordCancelled();
    // Refused past the repetitions, the status in the session. Default: (end code, 2), Refused.
    virtual void refusedPastLimit();
    // Ends after the last re-send got no answer. Default: "Operation failed!", code 200, the
    // session in Failed.
    virtual void giveUp();
    // Adds the operation's data to its result.
    virtual void describe(OperationResult& result) const;
    // Leaves whatever the operation holds (files) before it ends.
    virtual void release() {}

    // Ends the operation once: the timer stops, the session returns to `idle`.
    void finish(Outcome outcome, SessionState idle = SessionState::Ready);
    void finish(OperationResult result, SessionState idle);

    OperationContext& ctx_;

private:
    void refusal(const ProtocolFrame& frame);
    void dropDuplicate();
    void repeatOrRefuse();

    OperationKind kind_;
    bool ended_ = false;
    bool paused_ = false;   // waiting for the host's password
    bool settling_ = false; // an answer was taken; copies of the step may still be answered
    int retries_ = 0;
    int copies_ = 0;  // sends of the step outstanding
    int answers_ = 0; // answers to it, refusals included
    std::string refusalStatus_;
};

} // namespace vandrel
