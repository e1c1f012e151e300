// Ids of the tools library's trace resources.
#pragma once
