// Ids of the manager's frame resources.
#pragma once
