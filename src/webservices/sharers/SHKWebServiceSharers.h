#pragma once

// Registers the web-service sharers that the share screens, the favourites and the offline queue make by
// class name.
void registerWebServiceSharers();
