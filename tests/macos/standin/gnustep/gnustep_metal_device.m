/* Metal's devices on the GNU runtime: a real Objective-C class that counts
 * its live instances, handed out alone or in a list. Its -name is a fresh autoreleased heap NSString
 * (a constant string would never be freed), so the name's UTF-8 bytes go when
 * the pool drains, as on a Mac. Beside it, a witness autoreleased into the
 * caller's pool reports when that pool drains, and a watch on NSException
 * counts every exception raised. gnustep_metal.cpp drives them through the
 * plain C functions at the end. */
#import <Foundation/Foundation.h>

#include <stdio.h>

static int devicesAlive;

@interface StandinMetalDevice : NSObject
{
  BOOL _named;
  const char *_utf8Name;  /* NULL with a name: one that UTF-8 cannot encode */
  BOOL _lowPower;
}
@end

@implementation StandinMetalDevice

- (id) initNamed: (BOOL)named utf8: (const char *)utf8Name lowPower: (BOOL)lowPower
{
  if ((self = [super init]) != nil)
    {
      _named = named;
      _utf8Name = utf8Name;
      _lowPower = lowPower;
      ++devicesAlive;
    }
  return self;
}

- (BOOL) isLowPower
{
  return _lowPower;
}

- (NSString *) name
{
  if (!_named)
    return nil;
  if (_utf8Name == NULL)
    {
      /* A lone surrogate has no UTF-8 form: -UTF8String answers NULL. */
      const unichar loneSurrogate = 0xD800;
      return [[[NSString alloc] initWithCharacters: &loneSurrogate length: 1] autorelease];
    }
  return [[[NSString alloc] initWithUTF8String: _utf8Name] autorelease];
}

- (void) dealloc
{
  --devicesAlive;
  [super dealloc];
}

@end

/* The device list: an object answering NSArray's primitives, -count and
 * -objectAtIndex:, over the devices it retains. Not an NSArray itself: the
 * first use of NSArray makes GNUstep allocate a placeholder for good, which
 * LeakSanitizer would report as lost. */
@interface StandinDeviceList : NSObject
{
  NSUInteger _count;
  id _devices[3];
}
@end

@implementation StandinDeviceList

- (id) initWithDevices: (const id[])objects count: (NSUInteger)count
{
  if ((self = [super init]) != nil)
    {
      NSUInteger i;
      for (i = 0; i < count && i < 3; ++i)
        _devices[i] = [objects[i] retain];
      _count = i;
    }
  return self;
}

- (NSUInteger) count
{
  return _count;
}

- (id) objectAtIndex: (NSUInteger)index
{
  if (index >= _count)
    [NSException raise: NSRangeException format: @"index %lu of %lu", (unsigned long)index, (unsigned long)_count];
  return _devices[index];
}

- (void) dealloc
{
  NSUInteger i;
  for (i = 0; i < _count; ++i)
    [_devices[i] release];
  [super dealloc];
}

@end

@interface StandinPoolWitness : NSObject
{
  void (*_drained)(void);
}
@end

@implementation StandinPoolWitness

- (id) initCalling: (void (*)(void))drained
{
  if ((self = [super init]) != nil)
    _drained = drained;
  return self;
}

- (void) dealloc
{
  _drained();
  [super dealloc];
}

@end

/* Any Objective-C exception raised during a test, an unrecognized selector
 * among them, is printed and counted as a fault before it goes on as usual:
 * the C++ that catches it cannot tell what it was. */
void standin_gnustep_exception_raised(void);

@implementation NSException (StandinFaults)

+ (void) load
{
  method_exchangeImplementations(
    class_getInstanceMethod(self, @selector(raise)),
    class_getInstanceMethod(self, @selector(standinRaiseAsAFault)));
}

- (void) standinRaiseAsAFault
{
  fprintf(stderr, "Objective-C exception %s: %s\n",
          [[self name] UTF8String], [[self reason] UTF8String]);
  standin_gnustep_exception_raised();
  [self standinRaiseAsAFault];  /* the implementations are swapped: -raise */
}

@end

/* A device with +1, as MTLCreateSystemDefaultDevice hands it over. */
id standin_gnustep_new_device(int named, const char *utf8Name)
{
  return [[StandinMetalDevice alloc] initNamed: named utf8: utf8Name lowPower: NO];
}

/* An NSArray of named devices with +1, as MTLCopyAllDevices hands it over;
 * the array alone holds the devices. */
id standin_gnustep_new_device_list(int count, const char *const *names, const int *lowPower)
{
  id devices[3];
  int i;
  for (i = 0; i < count; ++i)
    devices[i] = [[StandinMetalDevice alloc] initNamed: YES utf8: names[i] lowPower: lowPower[i] != 0];
  id list = [[StandinDeviceList alloc] initWithDevices: devices count: count];
  for (i = 0; i < count; ++i)
    [devices[i] release];
  return list;
}

int standin_gnustep_devices_alive(void)
{
  return devicesAlive;
}

int standin_gnustep_pool_open(void)
{
  return [NSAutoreleasePool currentPool] != nil;
}

/* Calls `drained` when the innermost open pool drains; 0 when none is open. */
int standin_gnustep_watch_pool(void (*drained)(void))
{
  if (!standin_gnustep_pool_open())
    return 0;
  [[[StandinPoolWitness alloc] initCalling: drained] autorelease];
  return 1;
}
