// Stands in for a running product in the process tests: it only waits, and
// ends by itself after a minute so that a failed test leaves nothing behind.
#include <chrono>
#include <thread>

int main()
{
    std::this_thread::sleep_for(std::chrono::seconds(60));
    return 3;
}
