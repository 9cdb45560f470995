#include "thdata.h"

pthread_mutex_t m = PTHREAD_MUTEX_INITIALIZER;
pthread_mutex_t usb_openclose_mutex = PTHREAD_MUTEX_INITIALIZER;
std::vector<thdata*> thDevData;
bool bSELinuxEnabled = false;
