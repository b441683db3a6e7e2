#pragma once
// The transfer engines' host link filled with the program's connection.

namespace app {

// Points the transfers' port layer at the connection.
void ConnectTransfersToHost();

}  // namespace app
