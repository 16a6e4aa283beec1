#include "protocol/cards.h"
