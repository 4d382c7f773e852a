#pragma once

#include "book/BookWindow.h"
#include "engine/Table.h"
