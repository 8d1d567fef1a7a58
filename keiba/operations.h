#pragma once
// The owner of the program's long operations: a day load, a batch load of days, an import, a
// real-time fetch, a download and a search. Each pumps the message queue or runs beside it while
// it writes the day or a folder, so at most one runs at a time. The one that starts takes the
// owner and holds it until it ends; a command that reads the day or writes a file from it, or
// writes the members' folder, asks the owner first and does nothing while another holds it.
// The main window holds the one owner of the program and disables its commands while an
// operation runs. When the window is closed meanwhile, it asks the operation to end early and
// closes once the owner is given back; an operation that pumps messages looks at
// CancelRequested() at each pass.

#include <functional>
#include <optional>

namespace keiba {

enum class Operation { DayLoad, BatchLoad, Import, Fetch, Download, Search };

// What a refused command says where it says anything.
inline constexpr char kOtherOperationRunning[] =
    "他の処理の実行中です。終了してから実行してください。";

class OperationOwner {
public:
    // The owner taken: given back when the hold is destroyed, released or moved over, so every
    // way out of an operation gives it back.
    class Hold {
    public:
        Hold() = default;
        Hold(Hold&& other) noexcept
            : owner_(other.owner_) {
            other.owner_ = nullptr;
        }
        Hold& operator=(Hold&& other) noexcept;
        Hold(const Hold&) = delete;
        Hold& operator=(const Hold&) = delete;
        ~Hold() { Release(); }

        // False for the empty hold of a refused take.
        explicit operator bool() const { return owner_ != nullptr; }
        void Release();

    private:
        friend class OperationOwner;
        explicit Hold(OperationOwner& owner)
            : owner_(&owner) {}
        OperationOwner* owner_ = nullptr;
    };

    OperationOwner() = default;
    OperationOwner(const OperationOwner&) = delete;
    OperationOwner& operator=(const OperationOwner&) = delete;

    // The hold of `operation`, or an empty hold (and no change) while another one runs.
    [[nodiscard]] Hold Take(Operation operation);

    bool Busy() const { return running_.has_value(); }
    std::optional<Operation> Running() const { return running_; }

    // Asks the operation that runs to end at its next pass. Nothing while none runs; the next
    // take starts without the request.
    void RequestCancel() { cancelRequested_ = running_.has_value(); }
    bool CancelRequested() const { return cancelRequested_; }

    // Told of every change: the operation taken, or nothing once it is given back.
    using Listener = std::function<void(std::optional<Operation>)>;
    void SetListener(Listener listener) { listener_ = std::move(listener); }

private:
    void GiveBack();

    std::optional<Operation> running_;
    bool cancelRequested_ = false;
    Listener listener_;
};

} // namespace keiba
