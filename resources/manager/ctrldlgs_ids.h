// Ids of the manager's ctrldlgs resources.
#pragma once
