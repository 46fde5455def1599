#pragma once

// The maker's web host. The About box's link line, the product page and the
// help page all point here.
#define MAKER_HOST "www.brantholm.example"

// The product's page on the maker's web host.
#define PRODUCT_PAGE_ADDRESS "http://" MAKER_HOST "/BrantholmUtilities.html#Quorvex"
