// Listing a folder on Windows: the fast form of the search (basic
// information, large fetches) needs Windows 7. Vista refuses its parameters,
// and then the plain form is used, at once and from then on.
#pragma once

#include <atomic>
#include <functional>

enum class ListingForm { Fast, Plain };

// What one attempt came to.
enum class ListingOutcome { Listed, Failed, Refused };

class ListingFallback {
public:
    // Runs `list` in the form this system takes; a refusal of the fast form
    // is remembered and answered with a second attempt in the plain form.
    bool List(const std::function<ListingOutcome(ListingForm)>& list);

private:
    std::atomic<bool> plainOnly_{false};
};
