// Application shell: start-up, the display and reshape callbacks, the light and
// the table of materials.
#pragma once

// Ambient, diffuse and specular RGBA reflectance and the specular exponent.
// With lighting on, the diffuse alpha is the drawn alpha.
struct Material {
    float ambient[4];
    float diffuse[4];
    float specular[4];
    float shininess;
};

// The window and the per-frame values of the shell. The member initialisers are
// the load values: `app = AppState{}` puts them back.
struct AppState {
    int windowWidth = 400;     // replaced by every reshape
    int windowHeight = 200;
    float dogLift = 0.0f;      // gaitAngle clamped below at 0, recomputed every frame
};

extern AppState app;

// --- Start-up and the frame loop -----------------------------------------------------
// Every start-up step up to the main loop: the window, the callbacks, the trees,
// the GL state, the light, the twelve textures, the first blink timer and the
// sound (silent where no sound device opens).
// Ends the process with exit code 1 if an image cannot be loaded.
void startUp(int* argc, char** argv);
// The display callback: draws one frame and advances the game by one frame step.
void display();
// The reshape callback: stores the size, sets the viewport and the projection.
void reshape(int width, int height);
// Puts the game, the world and the shell back to their load values.
void resetAllState();

// --- Light and materials -------------------------------------------------------------
inline constexpr float lightAmbient[4] = {0.6f, 0.6f, 0.6f, 1.0f};
inline constexpr float lightDiffuse[4] = {0.8f, 0.8f, 0.8f, 1.0f};
inline constexpr float lightSpecular[4] = {0.9f, 0.9f, 0.9f, 1.0f};

// Enables GL_LIGHT0 with the three colours above and smooth shading. Once, at start-up.
void initLighting();
// Applies m to the front faces: ambient, diffuse, specular, shininess.
void setMaterial(Material m);

inline constexpr Material meterCoverMaterial{
    {1.0f, 0.7f, 0.72f, 0.5f}, {1.0f, 0.75f, 0.75f, 0.5f}, {1.0f, 0.75f, 0.75f, 0.5f}, 100.0f};
inline constexpr Material meterLowMaterial{
    {1.0f, 1.0f, 0.0f, 0.8f}, {1.0f, 1.0f, 0.0f, 0.8f}, {1.0f, 1.0f, 0.0f, 0.8f}, 10.0f};
inline constexpr Material meterHighMaterial{
    {0.1f, 0.7f, 0.2f, 0.8f}, {0.1f, 0.7f, 0.2f, 0.8f}, {0.1f, 0.7f, 0.2f, 0.8f}, 8.0f};
inline constexpr Material meterFrameMaterial{
    {0.5f, 0.9f, 1.0f, 0.7f}, {0.7f, 0.7f, 0.3f, 0.7f}, {0.8f, 0.8f, 0.8f, 0.7f}, 10.0f};
inline constexpr Material grassMaterial{
    {0.2f, 1.0f, 0.2f, 1.0f}, {0.2f, 1.0f, 0.2f, 1.0f}, {0.2f, 1.0f, 0.2f, 1.0f}, 8.0f};
inline constexpr Material furMaterial{
    {0.3f, 0.3f, 0.3f, 1.0f}, {0.3f, 0.1f, 0.1f, 1.0f}, {0.3f, 0.1f, 0.1f, 1.0f}, 1.0f};
inline constexpr Material noseMaterial{
    {0.1f, 0.1f, 0.1f, 1.0f}, {0.1f, 0.1f, 0.1f, 1.0f}, {0.6f, 0.6f, 0.6f, 1.0f}, 120.0f};
inline constexpr Material blackMaterial{
    {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, {0.0f, 0.0f, 0.0f, 1.0f}, 0.0f};
inline constexpr Material brightMaterial{
    {1.0f, 1.0f, 1.0f, 1.0f}, {0.2f, 0.3f, 0.25f, 1.0f}, {0.5f, 0.65f, 0.65f, 1.0f}, 30.0f};
inline constexpr Material pupilMaterial{
    {0.3f, 0.4f, 0.4f, 0.8f}, {0.2f, 0.3f, 0.25f, 0.85f}, {0.5f, 0.65f, 0.65f, 1.0f}, 30.0f};
inline constexpr Material eyeWhiteMaterial{
    {1.0f, 1.0f, 1.0f, 1.0f}, {0.8f, 0.9f, 0.9f, 1.0f}, {1.0f, 1.0f, 1.0f, 1.0f}, 8.0f};
inline constexpr Material boneMaterial{
    {0.7f, 0.7f, 0.7f, 1.0f}, {0.3f, 0.3f, 0.3f, 1.0f}, {0.4f, 0.4f, 0.4f, 1.0f}, 127.0f};
inline constexpr Material houseMaterial{
    {0.3f, 0.1f, 0.1f, 1.0f}, {0.3f, 0.2f, 0.2f, 1.0f}, {0.3f, 0.2f, 0.2f, 1.0f}, 0.0f};
inline constexpr Material collarMaterial{
    {0.8f, 0.2f, 0.1f, 1.0f}, {0.5f, 0.2f, 0.2f, 1.0f}, {0.5f, 0.2f, 0.2f, 1.0f}, 20.0f};
inline constexpr Material trunkMaterial{
    {0.5f, 0.5f, 0.5f, 1.0f}, {0.5f, 0.1f, 0.1f, 1.0f}, {0.5f, 0.1f, 0.1f, 1.0f}, 1.0f};

// The fading blast colours of the trees, the house and the closing scene, alpha a.
Material explosionMaterial(float a);
