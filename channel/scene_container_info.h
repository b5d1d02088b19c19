#pragma once

#include <string>

#include "channel/export.h"
#include "channel/info_types.h"
#include "host/orv_channel.h"
#include "scene/scene_container.h"

namespace Importing {

// A channel that answers one question about the scene held by the scene
// container linked as its child 0. Its info type selects the question and
// decides its further children (inputs, then outputs). Each call reads the
// inputs, checks them against the scene and writes the outputs; a bad input
// is reported through the host's debug message. Nothing here throws but the
// standard allocation failure.
//
// The order of the virtual operations is part of the interface with hosts.
class SCI_API SceneContainerInfo : public Orv_Channel {
 public:
  // Info type 0, flag false, named "SceneContainerInfo", children laid out.
  SceneContainerInfo();
  // Copy the base and both settings; the children are not laid out again.
  SceneContainerInfo(const SceneContainerInfo& other);
  SceneContainerInfo& operator=(const SceneContainerInfo& other);
  ~SceneContainerInfo() override;

  // Runs the query of the info type once; does nothing without child 0 or
  // for an info type outside 0 to 68. Query statuses are not looked at.
  void CallChannel() override;
  // The base's settings, then "SCIUCN" (1 byte) and "SCIIP" (4 bytes).
  bool SaveChannel(OrvFileSaver& saver) override;
  // The base's settings, then "SCIUCN" and "SCIIP" where present; a loaded
  // info type lays the children out again. A missing tag keeps the field.
  bool LoadChannel(OrvFileLoader& loader, Orv_ChannelGroup* group) override;
  void DoDependencyInit(Orv_List* list) override;

  // Declares the children of the current info type to the host.
  virtual void CreateChannelChildren();
  virtual SCI_INFO_TYPE GetInfoType();
  // Stores any value, then lays the children out again.
  virtual void SetInfoType(SCI_INFO_TYPE type);
  virtual bool GetUpdateChannelName();
  virtual void SetUpdateChannelName(bool update);

 protected:
  // Appends node `nodeID` and its subtree at `depth` to `text`; the outermost
  // call (empty `text`) writes the whole text into child 1.
  virtual int GetSceneHierarchy(const SceneContainer& scene, int nodeID, std::string& text, int depth);

  // Each query returns 0 when it ran and -1 when a child was missing or an
  // input out of range.
  virtual int GetNodeCount(const SceneContainer& scene);
  virtual int GetNodeID(const SceneContainer& scene);
  virtual int GetNodeName(const SceneContainer& scene);
  virtual int GetNodeNote(const SceneContainer& scene);
  virtual int GetNodeLocalTM(const SceneContainer& scene);
  virtual int GetNodeGlobalTM(const SceneContainer& scene);
  virtual int GetNodeAnimation(const SceneContainer& scene);
  virtual int GetRootNode(const SceneContainer& scene);
  virtual int GetParentNode(const SceneContainer& scene);
  virtual int GetNodeChildCount(const SceneContainer& scene);
  virtual int GetNodeChild(const SceneContainer& scene);
  virtual int GetNodeSurfaceCount(const SceneContainer& scene);
  virtual int GetNodeSurfaceID(const SceneContainer& scene);
  virtual int GetSurfaceCount(const SceneContainer& scene);
  virtual int GetSurfaceGeometryID(const SceneContainer& scene);
  virtual int GetSurfaceMaterialID(const SceneContainer& scene);
  virtual int GetSurfaceNodeID(const SceneContainer& scene);
  virtual int GetSurfaceTextureCount(const SceneContainer& scene);
  virtual int GetSurfaceTextureID(const SceneContainer& scene);
  virtual int GetSurfaceTextureType(const SceneContainer& scene);
  virtual int GetSurfaceTextureUVSet(const SceneContainer& scene);
  virtual int GetSurfaceTextureAmount(const SceneContainer& scene);
  virtual int GetSurfaceTextureMatrix(const SceneContainer& scene);
  virtual int GetGeometry(const SceneContainer& scene);
  virtual int GetGeometryVertexCount(const SceneContainer& scene);
  virtual int GetGeometryCount(const SceneContainer& scene);
  virtual int GetGeometryBoundingBox(const SceneContainer& scene);
  virtual int GetMaterial(const SceneContainer& scene);
  virtual int GetMaterialName(const SceneContainer& scene);
  virtual int GetMaterialAsXML(const SceneContainer& scene);
  virtual int GetMaterialCount(const SceneContainer& scene);
  virtual int GetMaterialSurfaceCount(const SceneContainer& scene);
  virtual int GetMaterialSurfaceID(const SceneContainer& scene);
  virtual int GetTexture(const SceneContainer& scene);
  virtual int GetTexturePath(const SceneContainer& scene);
  virtual int GetTextureCount(const SceneContainer& scene);
  virtual int GetAnimation(const SceneContainer& scene);
  virtual int GetAnimationCount(const SceneContainer& scene);
  virtual int GetAnimationKeyCount(const SceneContainer& scene);
  virtual int GetAnimationTime(const SceneContainer& scene);
  virtual int GetAnimationMatrix(const SceneContainer& scene);
  virtual int GetSceneBoundingBox(const SceneContainer& scene);
  virtual int GetNodeCameraCount(const SceneContainer& scene);
  virtual int GetNodeCameraID(const SceneContainer& scene);
  virtual int GetCameraCount(const SceneContainer& scene);
  virtual int GetCameraOffsetMatrix(const SceneContainer& scene);
  virtual int GetCameraName(const SceneContainer& scene);
  virtual int GetCameraFovX(const SceneContainer& scene);
  virtual int GetCameraFovY(const SceneContainer& scene);
  virtual int GetCameraNearZ(const SceneContainer& scene);
  virtual int GetCameraFazZ(const SceneContainer& scene);
  virtual int GetCameraNodeID(const SceneContainer& scene);
  virtual int GetNodeLightCount(const SceneContainer& scene);
  virtual int GetNodeLightID(const SceneContainer& scene);
  virtual int GetLightCount(const SceneContainer& scene);
  virtual int GetLightOffsetMatrix(const SceneContainer& scene);
  virtual int GetLightName(const SceneContainer& scene);
  virtual int GetLightType(const SceneContainer& scene);
  virtual int GetLightDiffuse(const SceneContainer& scene);
  virtual int GetLightAmbient(const SceneContainer& scene);
  virtual int GetLightSpecular(const SceneContainer& scene);
  virtual int GetLightAttenuation(const SceneContainer& scene);
  virtual int GetLightRange(const SceneContainer& scene);
  virtual int GetLightTheta(const SceneContainer& scene);
  virtual int GetLightPhi(const SceneContainer& scene);
  virtual int GetLightShadowCast(const SceneContainer& scene);
  virtual int GetLightShadowDensity(const SceneContainer& scene);
  virtual int GetLightNodeID(const SceneContainer& scene);

 private:
  SCI_INFO_TYPE infoType;
  bool updateChannelName;
};

}  // namespace Importing
