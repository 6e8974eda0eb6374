#pragma once
// Kept where the Quick Links tests include it; the record and the list now live in clientitems.

#include "clientitems/OrderList.h"
