// The connection, transaction and query that a run drives, created as the main window's
// layout stores them, so the window and the headless front end run on the same settings.
#pragma once

#include "reconciliation/ReconciliationRun.h"

namespace ortavo {

class TComponent;

// Creates Base, TR and Query in that order, owned by owner, with their stored settings:
// Base with the parameter lines "user_name=VORAS" and "password=##480317", no login
// prompt, server type "IBServer" (which loads the client library at once, raising when it
// cannot); TR committing retaining by default; Query with 1000 records per cache chunk,
// cached updates and parameter checking. Then the references are resolved (Base's
// default transaction TR; Query on Base and TR) and each component ends its loading.
TRunComponents CreateRunComponents(TComponent& owner);

} // namespace ortavo
