#include "settings/row_details.h"
