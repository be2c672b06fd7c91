// Where the effects are heard from and where they sound: the camera's frame.
#include "sound/sound.h"

Listener listenerFromCamera(Vector3 eye, Vector3 centre, Vector3 up)
{
    const Vector3 at{centre.x - eye.x, centre.y - eye.y, centre.z - eye.z};
    return Listener{eye, normalize(at), up};
}

Vector3 sourcePosition(Vector3 place)
{
    return Vector3{place.x + sceneShift.x, place.y + sceneShift.y, place.z + sceneShift.z};
}
