// Ids of the manager's panes resources.
#pragma once
