#pragma once
// The transfer engines' host link filled with the program's connection.

namespace transfer {
class TransferUi;
}

namespace app {

// Points the transfers' port layer at the connection and their front end
// at the program's window and keyboard.
void ConnectTransfersToHost();
// The status window of the Windows side; nullptr for none.
void SetTransferWindows(transfer::TransferUi* windows);

}  // namespace app
