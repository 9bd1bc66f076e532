/* Metal's default device on the GNU runtime: a real Objective-C class that
 * counts its live instances. Its -name is a fresh autoreleased heap NSString
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
}
@end

@implementation StandinMetalDevice

- (id) initNamed: (BOOL)named utf8: (const char *)utf8Name
{
  if ((self = [super init]) != nil)
    {
      _named = named;
      _utf8Name = utf8Name;
      ++devicesAlive;
    }
  return self;
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
  return [[StandinMetalDevice alloc] initNamed: named utf8: utf8Name];
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
