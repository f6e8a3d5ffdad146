#pragma once
// Steps 3 to 6 of start-up, before the database is opened: the built-in hosts, the server list,
// the hosts it names, and the update check. Shared by Main and the update checker program.

#include "app/Deployment.h"

// The deployment's hosts, ports and update settings into the process-wide state.
void ApplyDeployment(const Deployment& deployment);
// The update server and in-house database hosts named by the loaded server list, where not empty.
void ApplyServerListHosts();
// What the file-replacement program left to say about a failed update, shown once.
void ShowUpdateNotice();
// Loads and refreshes the server list, applies its hosts, then runs the update check when there
// is an update server and the program is not a packaged install (the package manager updates
// that one). May request the end of the process (process::EndRequested).
void RunStartupNetworkSteps();
