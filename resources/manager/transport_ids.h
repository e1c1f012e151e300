// Ids of the manager's transport resources.
#pragma once
