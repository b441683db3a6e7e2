#pragma once
// The host-key cache in the Windows registry.

namespace connections {

// Makes the registry the host-key store: values under
// HKEY_LOCAL_MACHINE\SOFTWARE\Quorvane Software, Inc.\<title>\SshHostKeys,
// and under the same path of the current user's hive where the machine's key
// cannot be written, so that the user is not asked at every connection.
void InstallRegistryHostKeyStore();

}  // namespace connections
